// What a screen reader gets from the program's windows, read the way the
// accessibility bridge reads them: through QAccessible.
#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "form1_fixture.h"
#include "messagerecorder.h"
#include "platform/qmessagebox.h"
#include "platform/statusbar.h"
#include "sysinfo/fakelauncher.h"
#include "sysinfo/fakeregistry.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmsplash.h"

using namespace kalvor;

namespace {

// The controls a user meets: each must say what it is.
bool mustBeNamed(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::AlertMessage:
    case QAccessible::StaticText:
    case QAccessible::EditableText:
    case QAccessible::Button:
    case QAccessible::MenuItem:
    case QAccessible::Table:
        return true;
    default:
        return false;
    }
}

// Every visible control below `top` (the tables' cells left out) that a
// screen reader would announce with neither a name nor a description, by
// object name and role.
void collectSilent(QAccessibleInterface* node, QStringList& silent)
{
    if (!node || node->state().invisible)
        return;
    if (mustBeNamed(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()
        && node->text(QAccessible::Description).trimmed().isEmpty()) {
        const QObject* object = node->object();
        silent << QStringLiteral("%1 (role %2)")
                      .arg(object ? object->objectName() : QStringLiteral("?"))
                      .arg(int(node->role()));
    }
    if (node->role() == QAccessible::Table)
        return;
    for (int k = 0; k < node->childCount(); ++k)
        collectSilent(node->child(k), silent);
}

QStringList silentControls(QWidget* window)
{
    QStringList silent;
    collectSilent(QAccessible::queryAccessibleInterface(window), silent);
    return silent;
}

QAccessibleInterface* panelInterface(Form1* form, int panel)
{
    return QAccessible::queryAccessibleInterface(
        form->findChild<StatusBar*>("StatusBar1")->findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel)));
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void statusPanelsReadTheirText();
    void equationWindowSaysWhatEachControlIs();
    void otherWindowsSayWhatEachControlIs();
    void messageBoxesSayTheirMessage();
};

void AccessibilityTest::statusPanelsReadTheirText()
{
    Form1Harness h;
    QVERIFY(h.open(3));
    for (int panel = 1; panel <= StatusBar::panelCount; ++panel) {
        QAccessibleInterface* label = panelInterface(h.form.get(), panel);
        QVERIFY(label);
        QCOMPARE(label->role(), QAccessible::StaticText);
        QCOMPARE(label->text(QAccessible::Description), QStringLiteral("Status panel %1").arg(panel));
    }

    h.form->findChild<Grid*>("Grid1")->setTextMatrix(2, 3, QStringLiteral("5-3i"));
    Form1Harness::clickCell(h.form->findChild<Grid*>("Grid1"), 2, 3);
    Form1Harness::clickCell(h.form->findChild<Grid*>("Grid2"), 3, 1);

    QCOMPARE(panelInterface(h.form.get(), 1)->text(QAccessible::Name), QStringLiteral("X3"));
    QCOMPARE(panelInterface(h.form.get(), 2)->text(QAccessible::Name), QStringLiteral("EQ.2"));
    QCOMPARE(panelInterface(h.form.get(), 3)->text(QAccessible::Name), QStringLiteral("C3"));
    QCOMPARE(panelInterface(h.form.get(), 4)->text(QAccessible::Name), QString());

    // Date and time, as the panels show them.
    const QString date = panelInterface(h.form.get(), StatusBar::datePanel)->text(QAccessible::Name);
    const QString time = panelInterface(h.form.get(), StatusBar::timePanel)->text(QAccessible::Name);
    QCOMPARE(date, h.form->findChild<StatusBar*>("StatusBar1")->panelText(StatusBar::datePanel));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d$")).match(date).hasMatch(), qPrintable(date));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(time).hasMatch(), qPrintable(time));
}

void AccessibilityTest::equationWindowSaysWhatEachControlIs()
{
    Form1Harness h;
    QVERIFY(h.open(2));
    const QStringList editing = silentControls(h.form.get());
    QVERIFY2(editing.isEmpty(), qPrintable(editing.join(QStringLiteral(", "))));

    // The menu items read without their access-key marks.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(h.form.get());
    QStringList menuItems;
    for (int k = 0; k < window->childCount(); ++k) {
        QAccessibleInterface* child = window->child(k);
        if (child->role() != QAccessible::MenuBar)
            continue;
        for (int m = 0; m < child->childCount(); ++m)
            menuItems << child->child(m)->text(QAccessible::Name);
    }
    QCOMPARE(menuItems, (QStringList{"File", "Solve", "Back", "Tools", "About"}));

    // With the solution shown, its table says what it is as well.
    h.form->findChild<Grid*>("Grid1")->setTextMatrix(1, 1, QStringLiteral("1"));
    h.form->findChild<Grid*>("Grid2")->setTextMatrix(1, 1, QStringLiteral("2"));
    h.form->findChild<Grid*>("Grid1")->setTextMatrix(2, 2, QStringLiteral("1"));
    h.form->findChild<Grid*>("Grid2")->setTextMatrix(2, 1, QStringLiteral("3"));
    h.form->solve_Click();
    QVERIFY(h.messages.messages.empty());
    const QStringList solved = silentControls(h.form.get());
    QVERIFY2(solved.isEmpty(), qPrintable(solved.join(QStringLiteral(", "))));
}

void AccessibilityTest::otherWindowsSayWhatEachControlIs()
{
    MessageRecorder messages;
    Form2 dialog(messages, {});
    FakeRegistry registry;
    FakeLauncher launcher;
    frmAbout about(registry, launcher, messages);
    frmSplash splash(dialog);
    for (QWidget* window :
         {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(&about), static_cast<QWidget*>(&splash)}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QStringList silent = silentControls(window);
        QVERIFY2(silent.isEmpty(), qPrintable(window->objectName() + QStringLiteral(": ") + silent.join(", ")));
        window->hide();
    }
    // The count dialog's caption is never shown; a reader hears the program.
    QCOMPARE(QAccessible::queryAccessibleInterface(&dialog)->text(QAccessible::Name), QStringLiteral("KALVOR1"));
    QCOMPARE(QAccessible::queryAccessibleInterface(&splash)->text(QAccessible::Name), QStringLiteral("KALVOR1"));
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog.command1())->text(QAccessible::Name), QStringLiteral("OK"));
    QCOMPARE(QAccessible::queryAccessibleInterface(about.sysInfoButton())->text(QAccessible::Name),
             QStringLiteral("System Info..."));
}

void AccessibilityTest::messageBoxesSayTheirMessage()
{
    struct Seen {
        QString name;
        QString value;
        QStringList silent;
    };
    std::vector<Seen> seen;
    QtMessageBox boxes;
    for (const auto style : {MessageBox::Style::Stop, MessageBox::Style::Plain}) {
        QTimer::singleShot(100, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QAccessibleInterface* alert = QAccessible::queryAccessibleInterface(box);
            seen.push_back({alert->text(QAccessible::Name), alert->text(QAccessible::Value), silentControls(box)});
            box->close();
        });
        boxes.show(style, QStringLiteral("Try again"),
                   style == MessageBox::Style::Stop ? QStringLiteral("Check") : QString());
    }
    QCOMPARE(seen.size(), std::size_t{2});
    QCOMPARE(seen[0].name, QStringLiteral("Check"));
    QCOMPARE(seen[1].name, QStringLiteral("KALVOR1"));
    for (const Seen& box : seen) {
        QCOMPARE(box.value, QStringLiteral("Try again"));
        QVERIFY2(box.silent.isEmpty(), qPrintable(box.silent.join(", ")));
    }
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
