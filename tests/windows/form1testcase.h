#pragma once

#include <memory>

#include <QObject>

#include "form1_fixture.h"

namespace kalvor {

// The base of the equation window's test classes: a fresh harness before
// each test function, and after it the check that no modal window came up
// that the test did not expect. A test class that sets its window up further
// declares its own init() slot, which Qt Test then runs instead.
class Form1TestCase : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<Form1Harness> h;
    Form1* form() const { return h->form.get(); }

private slots:
    void init();
    void cleanup();
};

}  // namespace kalvor
