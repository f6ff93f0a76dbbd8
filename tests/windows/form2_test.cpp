#include <climits>

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "messagerecorder.h"
#include "startupsupport.h"
#include "windows/form2.h"

using kalvor::Form2;
using kalvor::MessageBox;
using kalvor::MessageRecorder;
using kalvor::ModalWatchdog;

namespace {

// What the dialog's OK handed to the equation window, seen from inside it.
struct Opening {
    QString countText;
    bool dialogVisible = true;
};

}  // namespace

class Form2Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void designValues();
    void placeOnScreen_data();
    void placeOnScreen();
    void okFollowsLeadingNumber_data();
    void okFollowsLeadingNumber();
    void okFollowsEveryEdit_data();
    void okFollowsEveryEdit();
    void refusedCountKeepsDialog_data();
    void refusedCountKeepsDialog();
    void acceptedCountOpensEquationWindow_data();
    void acceptedCountOpensEquationWindow();
    void keysThatPressOk_data();
    void keysThatPressOk();
    void escAndCloseEndTheProgram_data();
    void escAndCloseEndTheProgram();
    void longPasteIsKeptWhole();
    void okTakesEveryNumberFormItOffers_data();
    void okTakesEveryNumberFormItOffers();
    void okHidesSplashOnlyWhileItIsOpen();
    void screenshot();

private:
    void typeCount(const QString& text);

    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<ModalWatchdog> watchdog;
    std::unique_ptr<Form2> form;
    std::vector<Opening> openings;
};

void Form2Test::init()
{
    messages = std::make_unique<MessageRecorder>();
    watchdog = std::make_unique<ModalWatchdog>();
    openings.clear();
    form = std::make_unique<Form2>(*messages, [this](Form2& dialog) {
        openings.push_back({dialog.countText(), dialog.isVisible()});
    });
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void Form2Test::cleanup()
{
    form.reset();
    QVERIFY2(watchdog->unexpected().isEmpty(), qPrintable(watchdog->unexpected().join(", ")));
    watchdog.reset();
    messages.reset();
}

void Form2Test::typeCount(const QString& text)
{
    form->text1()->clear();
    QTest::keyClicks(form->text1(), text);
    QCOMPARE(form->text1()->text(), text);
}

void Form2Test::designValues()
{
    // 15 twips to the pixel: client 4680 x 3195, at 3825, 4755 from the
    // screen's top-left corner.
    QCOMPARE(form->size(), QSize(312, 213));
    QCOMPARE(form->pos(), QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(255, 317));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(form->palette().color(QPalette::Window), QColor(0x40, 0x00, 0x00));

    QCOMPARE(form->label1()->text(), QStringLiteral("No. of Unknowns"));
    QCOMPARE(form->label1()->geometry(), QRect(16, 80, 201, 25));
    QVERIFY(!form->label1()->autoFillBackground());
    QCOMPARE(form->text1()->geometry(), QRect(160, 80, 81, 25));
    QCOMPARE(form->command1()->geometry(), QRect(112, 152, 81, 33));
    QCOMPARE(form->shape1()->geometry(), QRect(8, 8, 297, 201));
    QCOMPARE(form->command1()->text(), QStringLiteral("&OK"));
    QVERIFY(form->command1()->isDefault());

    for (QWidget* control : {static_cast<QWidget*>(form->label1()), static_cast<QWidget*>(form->text1()),
                             static_cast<QWidget*>(form->command1())}) {
        // Every character as wide as any other: the design's fixed face.
        const QFontMetrics metrics(control->font());
        QVERIFY2(metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('W')),
                 qPrintable(control->objectName()));
        QCOMPARE(control->font().pointSize(), 9);
    }

    QVERIFY(form->text1()->text().isEmpty());
    QCOMPARE(form->text1()->maxLength(), INT_MAX);  // no limit
    QVERIFY(!form->command1()->isEnabled());
    QTRY_COMPARE(QApplication::focusWidget(), form->text1());
}

void Form2Test::placeOnScreen_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("place");
    // The design place is 255, 317 pixels from the screen's corner; the
    // dialog is 312 x 213.
    QTest::newRow("large screen") << QRect(0, 0, 1024, 768) << QRect(0, 0, 1024, 768) << QPoint(255, 317);
    QTest::newRow("second screen") << QRect(1920, 0, 1024, 768) << QRect(1920, 0, 1024, 768) << QPoint(2175, 317);
    QTest::newRow("just fits") << QRect(0, 0, 567, 530) << QRect(0, 0, 567, 530) << QPoint(255, 317);
    QTest::newRow("too low") << QRect(0, 0, 640, 480) << QRect(0, 0, 640, 480) << QPoint(255, 267);
    QTest::newRow("panel at the bottom") << QRect(0, 0, 800, 560) << QRect(0, 0, 800, 520) << QPoint(255, 307);
    QTest::newRow("smaller than the dialog") << QRect(0, 0, 300, 200) << QRect(0, 0, 300, 200) << QPoint(0, 0);
}

void Form2Test::placeOnScreen()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, available);
    QFETCH(QPoint, place);
    QCOMPARE(Form2::placeOn(screen, available, QSize(312, 213)), place);
}

void Form2Test::okFollowsLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("negative") << "-3" << false;
    QTest::newRow("word") << "abc" << false;
    QTest::newRow("number after word") << "abc3" << false;
    QTest::newRow("blank only") << " " << false;
    QTest::newRow("three") << "3" << true;
    QTest::newRow("blanks before") << "  7" << true;
    QTest::newRow("fraction") << "0.5" << true;
    QTest::newRow("exponent") << "1e2" << true;
    QTest::newRow("hexadecimal") << "&H10" << true;
    QTest::newRow("letters after") << "3abc" << true;
    QTest::newRow("tiny fraction") << "0.0001" << true;
    QTest::newRow("zero with exponent") << "0e5" << false;
}

void Form2Test::okFollowsLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    // Start from the opposite state, so the test sees the change happen.
    typeCount(enabled ? QStringLiteral("0") : QStringLiteral("9"));
    QCOMPARE(form->command1()->isEnabled(), !enabled);
    typeCount(text);
    QCOMPARE(form->command1()->isEnabled(), enabled);
}

void Form2Test::okFollowsEveryEdit_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("enabledAfter");
    QTest::newRow("backspace") << "backspace" << false;
    QTest::newRow("select and type 0") << "zero" << false;
    QTest::newRow("paste 12") << "paste" << true;
    QTest::newRow("cut all") << "cut" << false;
}

void Form2Test::okFollowsEveryEdit()
{
    QFETCH(QString, edit);
    QFETCH(bool, enabledAfter);
    QLineEdit* text1 = form->text1();
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_5);
    QVERIFY(form->command1()->isEnabled());
    if (edit == QLatin1String("backspace")) {
        QTest::keyClick(text1, Qt::Key_Backspace);
    } else if (edit == QLatin1String("zero")) {
        text1->selectAll();
        QTest::keyClick(text1, Qt::Key_0);
    } else if (edit == QLatin1String("paste")) {
        text1->selectAll();
        text1->insert(QStringLiteral("12"));
    } else {
        text1->selectAll();
        text1->del();
    }
    QCOMPARE(form->command1()->isEnabled(), enabledAfter);
}

void Form2Test::refusedCountKeepsDialog_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letters after") << "3abc";
    QTest::newRow("rounds to zero") << "0.4";
    QTest::newRow("above 500") << "501";
    QTest::newRow("beyond 16 bits") << "40000";
    QTest::newRow("exponent above 500") << "1e3";
}

void Form2Test::refusedCountKeepsDialog()
{
    QFETCH(QString, text);
    typeCount(text);
    QVERIFY(form->command1()->isEnabled());
    bool visibleDuringMessage = false;
    messages->onShow = [&] { visibleDuringMessage = form->isVisible(); };
    QTest::mouseClick(form->command1(), Qt::LeftButton);

    QCOMPARE(messages->messages.size(), std::size_t{1});
    const auto& shown = messages->messages.front();
    QCOMPARE(shown.style, MessageBox::Style::Stop);
    QCOMPARE(shown.title, QStringLiteral("KALVOR1"));
    QCOMPARE(shown.message, Form2::countRefusal);
    QVERIFY(shown.message.contains(QStringLiteral("1 to 500")));
    QVERIFY(visibleDuringMessage);
    QVERIFY(openings.empty());
    QVERIFY(form->isVisible());
    QCOMPARE(form->text1()->text(), text);
    QTRY_COMPARE(QApplication::focusWidget(), form->text1());
}

void Form2Test::acceptedCountOpensEquationWindow_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << "1";
    QTest::newRow("five hundred") << "500";
    QTest::newRow("half to even") << "2.5";
    QTest::newRow("blanks around") << " 4 ";
}

void Form2Test::acceptedCountOpensEquationWindow()
{
    QFETCH(QString, text);
    typeCount(text);
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    QVERIFY(messages->messages.empty());
    QCOMPARE(openings.size(), std::size_t{1});
    QCOMPARE(openings.front().countText, text);
    QVERIFY(!openings.front().dialogVisible);
    // Hidden, not closed: the count text stays for the equation window.
    QVERIFY(!form->isVisible());
    QCOMPARE(form->countText(), text);
}

void Form2Test::keysThatPressOk_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Alt+O") << int(Qt::Key_O) << int(Qt::AltModifier);
}

void Form2Test::keysThatPressOk()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->text1()->setFocus();
    // With OK disabled the key does nothing.
    // Through the window, as the window system delivers keys, so that
    // shortcuts are looked up the way they are for a real key press.
    QTest::keyClick(form->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::qWait(200);
    QVERIFY(openings.empty());
    typeCount(QStringLiteral("6"));
    QTest::keyClick(form->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // An access key presses the button visibly, so the click comes a moment
    // later.
    QTRY_COMPARE(openings.size(), std::size_t{1});
    QCOMPARE(openings.front().countText, QStringLiteral("6"));
}

void Form2Test::escAndCloseEndTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close request") << "close";
}

void Form2Test::escAndCloseEndTheProgram()
{
    QFETCH(QString, how);
    QWidget splash;
    splash.show();
    form->setSplashWindow(&splash);
    int programEnds = 0;
    bool visibleAtEnd = true;
    form->setProgramEnd([&] {
        ++programEnds;
        visibleAtEnd = form->isVisible() || splash.isVisible();
    });
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    typeCount(QStringLiteral("3"));
    if (how == QLatin1String("esc"))
        QTest::keyClick(form->windowHandle(), Qt::Key_Escape);
    else
        QVERIFY(form->close());
    QCOMPARE(programEnds, 1);
    QVERIFY(!visibleAtEnd);
    QVERIFY(!form->isVisible());
    QVERIFY(!splash.isVisible());
    QVERIFY(openings.empty());
    QVERIFY(messages->messages.empty());
}

void Form2Test::longPasteIsKeptWhole()
{
    // 39,999 zeros and a 5: the 5 lies past the default limit of 32,767.
    const QString count = QString(39999, QLatin1Char('0')) + QLatin1Char('5');
    QGuiApplication::clipboard()->setText(count);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->text1()->setFocus();
    QTest::keyClick(form->text1(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form->text1()->text().size(), count.size());
    QCOMPARE(form->countText(), count);
    QVERIFY(form->command1()->isEnabled());
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    QVERIFY(messages->messages.empty());
    QCOMPARE(openings.size(), std::size_t{1});
    QCOMPARE(openings.front().countText, count);
}

void Form2Test::okTakesEveryNumberFormItOffers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("opens");
    QTest::newRow("hexadecimal") << "&H10" << true;
    QTest::newRow("octal") << "&O20" << true;
    QTest::newRow("D exponent") << "1d1" << true;
    QTest::newRow("hexadecimal, blanks around") << " &h1F4 " << true;
    QTest::newRow("hexadecimal above 500") << "&H1F5" << false;
    QTest::newRow("hexadecimal, letters after") << "&H10z" << false;
    QTest::newRow("half") << "0.5" << false;
    QTest::newRow("letters after") << "3abc" << false;
    QTest::newRow("above 500") << "501" << false;
}

void Form2Test::okTakesEveryNumberFormItOffers()
{
    QFETCH(QString, text);
    QFETCH(bool, opens);
    typeCount(text);
    // OK is offered for all of these: each leading number is positive.
    QVERIFY(form->command1()->isEnabled());
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    QCOMPARE(openings.size(), std::size_t{opens ? 1U : 0U});
    QCOMPARE(messages->messages.size(), std::size_t{opens ? 0U : 1U});
    if (!opens)
        QCOMPARE(messages->messages.front().message, Form2::countRefusal);
}

void Form2Test::okHidesSplashOnlyWhileItIsOpen()
{
    QWidget splash;
    splash.show();
    form->setSplashWindow(&splash);
    typeCount(QStringLiteral("2"));
    form->Command1_Click();
    QVERIFY(!splash.isVisible());
    QCOMPARE(openings.size(), std::size_t{1});

    // A splash window that has gone away is simply left alone.
    auto gone = std::make_unique<QWidget>();
    form->setSplashWindow(gone.get());
    gone.reset();
    form->show();
    form->Command1_Click();
    QCOMPARE(openings.size(), std::size_t{2});
}

void Form2Test::screenshot()
{
    typeCount(QStringLiteral("3"));
    const QString path = kalvor::artifactPath(QStringLiteral("form2.png"));
    if (path.isEmpty())
        QSKIP("KALVOR_ARTIFACTS is not set");
    const QImage image = form->grab().toImage();
    QCOMPARE(image.size(), QSize(312, 213));
    // The dark red background and the yellow frame are really painted.
    QCOMPARE(image.pixelColor(3, 3), QColor(0x40, 0x00, 0x00));
    QCOMPARE(image.pixelColor(8, 100), QColor(0xFF, 0xFF, 0x00));
    QVERIFY(image.save(path));
}

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
