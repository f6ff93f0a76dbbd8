#include "form1testcase.h"

#include <QTest>

namespace kalvor {

void Form1TestCase::init()
{
    h = std::make_unique<Form1Harness>();
}

void Form1TestCase::cleanup()
{
    QVERIFY2(h->watchdog.unexpected().isEmpty(), qPrintable(h->watchdog.unexpected().join(", ")));
    h.reset();
}

}  // namespace kalvor
