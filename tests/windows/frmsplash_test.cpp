#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

#include "messagerecorder.h"
#include "startupsupport.h"
#include "windows/form2.h"
#include "windows/frmsplash.h"

using kalvor::Form2;
using kalvor::frmSplash;
using kalvor::MessageRecorder;
using kalvor::ShowWatcher;
using kalvor::StartupWatchdog;

// What the splash and the dialog looked like at one moment of a hand-over.
struct Moment {
    bool splashVisible = false;
    bool splashClosed = false;
    bool imageVisible = false;
    bool timerRunning = false;
    bool dialogModal = false;
};

class FrmSplashTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowDesign();
    void labelDesign_data();
    void labelDesign();
    void titleShadow();
    void pictureIconAndTimer();
    void nothingTakesFocus();
    void keysWithoutCharacterDoNothing_data();
    void keysWithoutCharacterDoNothing();
    void keyWithCharacterHandsOverAtOnce_data();
    void keyWithCharacterHandsOverAtOnce();
    void tickHandsOverBehindDialog();
    void onlyHandOverClosesWindow();
    void screenshot();

private:
    Moment now() const;
    // Types count into the dialog and presses its OK, from inside its modal
    // wait.
    void confirm(const QString& count);

    std::unique_ptr<MessageRecorder> messages;
    std::unique_ptr<StartupWatchdog> watchdog;
    std::unique_ptr<Form2> dialog;
    std::unique_ptr<frmSplash> splash;
    int openings = 0;
    Moment atOpening;
};

void FrmSplashTest::init()
{
    messages = std::make_unique<MessageRecorder>();
    watchdog = std::make_unique<StartupWatchdog>();
    openings = 0;
    dialog = std::make_unique<Form2>(*messages, [this](Form2&) {
        ++openings;
        atOpening = now();
    });
    watchdog->expect(dialog.get());
    splash = std::make_unique<frmSplash>(*dialog);
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash.get()));
}

void FrmSplashTest::cleanup()
{
    splash.reset();
    dialog.reset();
    QVERIFY2(watchdog->unexpected().isEmpty(), qPrintable(watchdog->unexpected().join(", ")));
    QVERIFY(messages->messages.empty());
    watchdog.reset();
    messages.reset();
}

Moment FrmSplashTest::now() const
{
    return {splash->isVisible(), splash->isClosed(), splash->image1()->isVisible(),
            splash->timer1() && splash->timer1()->isActive(), QApplication::activeModalWidget() == dialog.get()};
}

void FrmSplashTest::confirm(const QString& count)
{
    QTest::keyClicks(dialog->text1(), count);
    QTest::mouseClick(dialog->command1(), Qt::LeftButton);
}

void FrmSplashTest::windowDesign()
{
    QCOMPARE(splash->size(), QSize(492, 367));
    const Qt::WindowFlags flags = splash->windowFlags();
    QVERIFY(flags & Qt::FramelessWindowHint);
    // A tool window: no taskbar entry.
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QCOMPARE(splash->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
    QCOMPARE(splash->palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(splash->autoFillBackground());
    auto* shape1 = splash->findChild<QFrame*>(QStringLiteral("Shape1"));
    QVERIFY(shape1);
    QCOMPARE(shape1->geometry(), QRect(8, 8, 473, 353));
}

void FrmSplashTest::labelDesign_data()
{
    // An empty expected text stands for a text of our own: any, but some.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("title") << "lblProductName(1)"
                           << "KALVOR1";
    QTest::newRow("title shadow") << "lblProductName(0)"
                                  << "KALVOR1";
    QTest::newRow("above title") << "lblCompanyProduct"
                                 << "";
    QTest::newRow("version caption") << "lblVersion"
                                     << "Version";
    QTest::newRow("version number") << "lblPlatform"
                                    << "1.0.0";
    QTest::newRow("small line") << "lblCompany"
                                << "";
    QTest::newRow("second small line") << "lblHint"
                                       << "";
}

void FrmSplashTest::labelDesign()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    auto* label = splash->findChild<QLabel*>(name);
    QVERIFY(label);
    if (text.isEmpty())
        QVERIFY(!label->text().trimmed().isEmpty());
    else
        QCOMPARE(label->text(), text);
    QVERIFY(!label->autoFillBackground());
    // Whole and readable: inside the window's frame, and wide enough for
    // its text.
    QVERIFY(splash->findChild<QFrame*>(QStringLiteral("Shape1"))->geometry().contains(label->geometry()));
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
}

void FrmSplashTest::titleShadow()
{
    // The grey copy lies behind the yellow one, 120 twips to its right.
    auto* title = splash->findChild<QLabel*>(QStringLiteral("lblProductName(1)"));
    auto* shadow = splash->findChild<QLabel*>(QStringLiteral("lblProductName(0)"));
    QCOMPARE(shadow->pos(), title->pos() + QPoint(8, 0));
    QVERIFY(splash->children().indexOf(shadow) < splash->children().indexOf(title));
}

void FrmSplashTest::pictureIconAndTimer()
{
    QLabel* image = splash->image1();
    QCOMPARE(image->objectName(), QStringLiteral("Image1"));
    QCOMPARE(image->pixmap().size(), QSize(149, 131));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->geometry(), QRect(376, 256, 93, 91));
    QVERIFY(image->isVisible());

    QVERIFY(splash->windowIcon().availableSizes().contains(QSize(48, 48)));
    QVERIFY(!frmSplash::programIcon().pixmap(48, 48).isNull());

    QTimer* timer = splash->timer1();
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
}

void FrmSplashTest::nothingTakesFocus()
{
    const auto children = splash->findChildren<QWidget*>();
    QVERIFY(children.size() >= 9);
    for (QWidget* child : children)
        QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
}

void FrmSplashTest::keysWithoutCharacterDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("arrow") << int(Qt::Key_Left);
    QTest::newRow("page down") << int(Qt::Key_PageDown);
    QTest::newRow("function key") << int(Qt::Key_F1);
    QTest::newRow("shift alone") << int(Qt::Key_Shift);
    QTest::newRow("control alone") << int(Qt::Key_Control);
}

void FrmSplashTest::keysWithoutCharacterDoNothing()
{
    QFETCH(int, key);
    QTest::keyClick(splash.get(), Qt::Key(key));
    QTest::mouseClick(splash.get(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(splash->image1(), Qt::LeftButton);
    QVERIFY(!splash->hasHandedOver());
    QVERIFY(splash->isVisible());
    QVERIFY(splash->image1()->isVisible());
    QVERIFY(splash->timer1() && splash->timer1()->isActive());
    QVERIFY(!dialog->isVisible());
}

void FrmSplashTest::keyWithCharacterHandsOverAtOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("letter") << int(Qt::Key_A);
    QTest::newRow("digit") << int(Qt::Key_7);
    QTest::newRow("punctuation") << int(Qt::Key_Period);
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace);
}

void FrmSplashTest::keyWithCharacterHandsOverAtOnce()
{
    QFETCH(int, key);
    Moment inDialog;
    QPointer<QTimer> timer = splash->timer1();
    ShowWatcher dialogShown(dialog.get(), [&] {
        inDialog = now();
        confirm(QStringLiteral("3"));
    });
    QTest::keyClick(splash.get(), Qt::Key(key));

    // The key closed the splash first, timer and all, then the dialog came.
    QCOMPARE(dialogShown.shows(), 1);
    QVERIFY(inDialog.dialogModal);
    QVERIFY(!inDialog.splashVisible);
    QVERIFY(inDialog.splashClosed);
    QVERIFY(!inDialog.timerRunning);
    QCOMPARE(openings, 1);
    QVERIFY(!atOpening.splashVisible);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!splash->isVisible());
    QTRY_VERIFY(timer.isNull());
}

void FrmSplashTest::tickHandsOverBehindDialog()
{
    Moment inDialog;
    ShowWatcher dialogShown(dialog.get(), [&] {
        inDialog = now();
        confirm(QStringLiteral("4"));
    });
    splash->Timer1_Timer();

    // The picture went, the rest of the splash stayed behind the dialog
    // until OK hid it; the splash closed once the dialog was done.
    QCOMPARE(dialogShown.shows(), 1);
    QVERIFY(inDialog.dialogModal);
    QVERIFY(inDialog.splashVisible);
    QVERIFY(!inDialog.splashClosed);
    QVERIFY(!inDialog.imageVisible);
    QCOMPARE(openings, 1);
    QVERIFY(!atOpening.splashVisible);
    QVERIFY(!atOpening.splashClosed);
    QVERIFY(splash->isClosed());
    QVERIFY(!splash->isVisible());
    QVERIFY(splash->timer1() == nullptr);
}

void FrmSplashTest::onlyHandOverClosesWindow()
{
    // No close box: a close request from outside leaves it as it is.
    QVERIFY(!splash->close());
    QVERIFY(splash->isVisible());
    QVERIFY(!splash->isClosed());
    QVERIFY(splash->timer1() && splash->timer1()->isActive());
}

void FrmSplashTest::screenshot()
{
    const QString path = kalvor::artifactPath(QStringLiteral("frmsplash.png"));
    if (path.isEmpty())
        QSKIP("KALVOR_ARTIFACTS is not set");
    const QImage image = splash->grab().toImage();
    QCOMPARE(image.size(), QSize(492, 367));
    QCOMPARE(image.pixelColor(3, 3), QColor(Qt::black));
    QCOMPARE(image.pixelColor(8, 100), QColor(0xFF, 0xFF, 0xC0));
    QVERIFY(image.save(path));
}

QTEST_MAIN(FrmSplashTest)
#include "frmsplash_test.moc"
