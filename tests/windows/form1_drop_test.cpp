// System files on the equation window: dropped (dragged through the
// window's own drag and drop routing to the widget under the point), read,
// and pasted as one undoable step, or refused with a message and the tables
// untouched; and the File menu's New, Open, Save, Save solution and the
// recovery file.
#include <csignal>
#include <memory>

#include <sys/resource.h>

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFrame>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>

#include "core/polar.h"
#include "core/systemlimits.h"
#include "core/tabletext.h"
#include "form1testcase.h"
#include "platform/filedialogs.h"
#include "platform/gridmodel.h"
#include "platform/statusbar.h"
#include "startupsupport.h"
#include "windows/systemparameters.h"
#include "windows/recoveryfile.h"

    using namespace kalvor;

namespace {

// N = 2 worked system: (1+i) X1 + X2 = 2+3i, X1 + (-1+i) X2 = i.
const QStringList coefficients
    = {QStringLiteral("1+i"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("-1+i")};
const QStringList constants = {QStringLiteral("2+3i"), QStringLiteral("i")};
const QStringList solution = {QStringLiteral(" 1.6667 + 6.6667E-01i"), QStringLiteral(" 1.0000 + 6.6667E-01i")};

// Answers the File menu's dialogs with the names a test gives (an empty one
// cancels) and records each dialog as "title | proposed name".
class AnsweringDialogs final : public FileDialogs {
public:
    QStringList answers;
    QStringList asked;

    QString openFileName(QWidget*, const QString& title, const QString&) override { return next(title, {}); }
    QString saveFileName(QWidget*, const QString& title, const QString& proposed, const QString&,
                         const QString&) override
    {
        return next(title, proposed);
    }

private:
    QString next(const QString& title, const QString& proposed)
    {
        asked << title + QStringLiteral(" | ") + proposed;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

}  // namespace

class Form1DropTest : public Form1TestCase {
    Q_OBJECT

private:
    QTemporaryDir scratch;
    AnsweringDialogs dialogs;
    TableExchange* exchange() { return form()->findChild<TableExchange*>(QStringLiteral("exchange")); }

    bool openWindow(int n)
    {
        form()->setFileDialogs(dialogs);
        return h->open(n);
    }

    // File > Open system, answered with `path`.
    void openFile(const QString& path)
    {
        dialogs.answers << path;
        form()->findChild<QAction*>("openSystem")->trigger();
    }

    QString clipboardSystem()
    {
        exchange()->copySystem();
        return QGuiApplication::clipboard()->text();
    }

    QTimer* recoveryTimer() { return form()->findChild<RecoveryFile*>()->findChild<QTimer*>(); }

    QUrl fileUrl(const QString& name, const QByteArray& bytes)
    {
        QFile file(scratch.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return QUrl::fromLocalFile(file.fileName());
    }

    // Every cell text of both tables, row by row.
    QStringList tables()
    {
        QStringList texts;
        for (int r = 1; r <= form()->state().N; ++r) {
            for (int c = 1; c <= form()->state().N; ++c)
                texts << form()->findChild<Grid*>("Grid1")->TextMatrix(r, c);
            texts << form()->findChild<Grid*>("Grid2")->TextMatrix(r, 1);
        }
        return texts;
    }

    static QStringList systemTexts()
    {
        return {coefficients[0], coefficients[1], constants[0], coefficients[2], coefficients[3], constants[1]};
    }

    // Drags `urls` over the middle of `target` as the window system would
    // and, if the window takes the drag, drops them there. Whether the drag
    // was taken.
    bool dragAndDrop(QWidget* target, const QList<QUrl>& urls)
    {
        // File managers add the files' names as text, which an editor line
        // would take.
        QMimeData data;
        data.setUrls(urls);
        QStringList names;
        for (const QUrl& url : urls)
            names << url.toString();
        data.setText(names.join(QLatin1Char('\n')));
        QWindow* window = form()->windowHandle();
        const QPoint at = target->mapTo(form(), target->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        if (enter.isAccepted()) {
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window, &drop);
        } else {
            QDragLeaveEvent leave;
            QApplication::sendEvent(window, &leave);
        }
        QCoreApplication::processEvents();
        return enter.isAccepted();
    }

    void checkNoMessage() { QVERIFY(h->messages.messages.empty()); }

private slots:
    void init()
    {
        dialogs = {};
        h = std::make_unique<Form1Harness>();
        QVERIFY(openWindow(2));
    }

    void fillsBothTablesAsOneUndoablePaste_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("onto");
        QTest::newRow("tsv on the coefficients") << "system.tsv" << QByteArray("1+i\t1\t2+3i\n1\t-1+i\ti\n") << "Grid1";
        QTest::newRow("CSV on an editor line") << "SYSTEM.CSV" << QByteArray("1+i,1,2+3i\n1,-1+i,i\n") << "Text4";
        QTest::newRow("txt, BOM and CR LF, on the constants")
            << "system.Txt" << QByteArray("\xEF\xBB\xBF\"1+i\"\t1\t2+3i\r\n1\t-1+i\ti\r\n\r\n") << "Grid2";
        // Phasors land as the numbers the cells read.
        QTest::newRow("phasors") << "phasors.csv"
                                 << QByteArray("1+i,1\xE2\x88\xA0"
                                               "0,2+3i\n1@0deg,-1+i,i\n")
                                 << "Grid1";
    }

    void fillsBothTablesAsOneUndoablePaste()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, onto);
        QWidget* target = form()->findChild<QWidget*>(onto);
        QVERIFY(target);
        h->typeCoefficient(2, 1, QStringLiteral("7"));
        h->typeConstant(1, QStringLiteral("9"));
        const QStringList before = tables();
        const QUrl url = fileUrl(name, bytes);

        QVERIFY(dragAndDrop(target, {url}));
        QCOMPARE(tables(), systemTexts());
        h->screenshot(QStringLiteral("form1-dropped-") + onto);
        QTest::keyClick(form()->findChild<Grid*>("Grid1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tables(), before);

        QVERIFY(dragAndDrop(target, {url}));
        form()->solve_Click();
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 1), solution[0]);
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(2, 1), solution[1]);
        checkNoMessage();
    }

    void refusesAFileThatDoesNotFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // empty name: no file at all
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("size");  // 0: as written; else the file grown (sparse) to this size
        QTest::newRow("one equation") << "one.tsv" << QByteArray("1\t2\n")
                                      << "The file \"one.tsv\" holds a system of 1 equation; this window has 2 "
                                         "unknowns."
                                      << qint64(0);
        QTest::newRow("three equations") << "three.csv" << QByteArray("1,0,0,1\n0,1,0,1\n0,0,1,1\n")
                                         << "The file \"three.csv\" holds a system of 3 equations; this window "
                                            "has 2 unknowns."
                                         << qint64(0);
        QTest::newRow("short line") << "short.tsv" << QByteArray("1\t1\t2\n1\t2\n")
                                    << "The file \"short.tsv\" cannot be used: line 2 has 2 fields, 3 expected."
                                    << qint64(0);
        QTest::newRow("bad bytes") << "bad.csv" << QByteArray("1,1,2\n1,\xFF,2\n")
                                   << "The file \"bad.csv\" cannot be used: line 2 is not UTF-8 text." << qint64(0);
        QTest::newRow("empty") << "empty.txt" << QByteArray()
                               << "The file \"empty.txt\" cannot be used: the file holds no equation." << qint64(0);
        QTest::newRow("larger than 256 MiB")
            << "huge.tsv" << QByteArray("1\t1\t2\n1\t2\t3\n")
            << "The file \"huge.tsv\" is larger than 256 MiB, more than any system file needs."
            << qint64(MaxSystemFileBytes) + 1;
    }

    void refusesAFileThatDoesNotFit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(qint64, size);
        const QStringList before = tables();
        const QUrl url = fileUrl(name, bytes);
        if (size > 0)
            QVERIFY(QFile::resize(url.toLocalFile(), size));
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"), {url}));
        QCOMPARE(tables(), before);
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].style, MessageBox::Style::Stop);
        QCOMPARE(h->messages.messages[0].message, message);
        QCOMPARE(h->messages.messages[0].title, QStringLiteral("KALVOR1"));
        QVERIFY(!exchange()->canUndoPaste());
        // Open refuses it with the same message, but takes another N.
        if (message.contains(QLatin1String("holds a system of")))
            return;
        openFile(scratch.filePath(name));
        QCOMPARE(h->messages.messages.size(), std::size_t(2));
        QCOMPARE(h->messages.messages[1].message, message);
        QCOMPARE(tables(), before);
    }

    void refusesAFileGoneBeforeTheDrop()
    {
        const QUrl url = fileUrl(QStringLiteral("gone.tsv"), "1\t1\t2\n1\t2\t3\n");
        QFile::remove(url.toLocalFile());
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"), {url}));
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QVERIFY(h->messages.messages[0].message.startsWith(QStringLiteral("The file \"gone.tsv\" cannot be read: ")));
    }

    void takesNothingElse_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("solutionShown");
        const QByteArray good("1\t1\t2\n1\t2\t3\n");
        const QUrl tsv = fileUrl(QStringLiteral("good.tsv"), good);
        QTest::newRow("a picture") << QList<QUrl>{fileUrl(QStringLiteral("good.png"), good)} << false;
        QTest::newRow("no extension") << QList<QUrl>{fileUrl(QStringLiteral("tsv"), good)} << false;
        QTest::newRow("two files") << QList<QUrl>{tsv, fileUrl(QStringLiteral("more.csv"), good)} << false;
        QTest::newRow("not a local file") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.tsv"))} << false;
        QTest::newRow("solution shown") << QList<QUrl>{tsv} << true;
    }

    void takesNothingElse()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, solutionShown);
        if (solutionShown) {
            exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1", "1", "2"}, {"1", "2", "3"}}, 1, 1);
            form()->solve_Click();
            QVERIFY(form()->findChild<QFrame*>("Frame1")->isVisible());
        }
        h->messages.messages.clear();
        const QStringList before = tables();
        QVERIFY(!dragAndDrop(form()->findChild<Grid*>("Grid1"), urls));
        // A drop that arrives without its drag (or after the window changed
        // mode) is checked again.
        QMimeData data;
        data.setUrls(urls);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form(), &drop);
        QCoreApplication::processEvents();
        QVERIFY(!drop.isAccepted());
        QCOMPARE(tables(), before);
        checkNoMessage();
    }

    void openTakesAnyN_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("unknowns");
        QTest::addColumn<bool>("solutionShown");
        QTest::newRow("same N: one undoable paste") << QByteArray("1+i\t1\t2+3i\n1\t-1+i\ti\n") << 2 << false;
        QTest::newRow("same N, from the solution") << QByteArray("1+i,1,2+3i\n1,-1+i,i\n") << 2 << true;
        QTest::newRow("another N, semicolons") << QByteArray("1;0;0;\"4;5\"\n0;1;0;2\n0;0;1;3\n") << 3 << false;
        QTest::newRow("same N, phasors") << QByteArray("2<0\t0\t10<90\n0\t1\t1@180\n") << 2 << false;
    }

    void openTakesAnyN()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, unknowns);
        QFETCH(bool, solutionShown);
        h->typeCoefficient(1, 1, QStringLiteral("7"));
        h->typeCoefficient(2, 2, QStringLiteral("7"));
        if (solutionShown)
            form()->solve_Click();
        QCOMPARE(form()->findChild<QFrame*>("Frame1")->isVisible(), solutionShown);
        const QStringList before = tables();
        openFile(fileUrl(QStringLiteral("open.csv"), bytes).toLocalFile());
        checkNoMessage();
        QVERIFY(!form()->findChild<QFrame*>("Frame1")->isVisible());
        QCOMPARE(form()->state().N, unknowns);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->Cols(), unknowns + 1);
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(0, unknowns), QStringLiteral("X%1").arg(unknowns));
        QStringList expected;
        for (const TableRow& row : readTableText(bytes.toStdString(), fileSeparator(bytes.toStdString())).rows)
            for (const std::string& field : row.fields)
                expected << QString::fromStdString(polarToRectangular(field).value_or(field));
        QCOMPARE(tables(), expected);
        // Undone only where it was a paste into the same tables.
        QCOMPARE(exchange()->undoPaste(), unknowns == 2);
        if (unknowns == 2)
            QCOMPARE(tables(), before);
    }

    void newSystemStartsAgainOnlyWhenConfirmed()
    {
        int asked = 0;
        bool confirm = false;
        form()->setCountQuestion([&] {
            ++asked;
            h->count = QStringLiteral("3");
            return confirm;
        });
        h->typeCoefficient(2, 2, QStringLiteral("5"));
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1", "0", "1"}, {"0", "1", "1"}}, 1, 1);
        form()->solve_Click();
        const QStringList before = tables();
        form()->findChild<QAction*>("newSystem")->trigger();
        QCOMPARE(asked, 1);
        QCOMPARE(tables(), before);
        QVERIFY(form()->findChild<QFrame*>("Frame1")->isVisible());

        confirm = true;
        form()->findChild<QAction*>("newSystem")->trigger();
        QCOMPARE(form()->state().N, 3);
        QCOMPARE(tables(), QStringList(12, QString()));
        QCOMPARE(form()->findChild<Grid*>("Grid1")->TextMatrix(3, 0), QStringLiteral("EQ. NO.3"));
        QVERIFY(!form()->findChild<QFrame*>("Frame1")->isVisible());
        QVERIFY(!form()->findChild<QAction*>("saveSolutionAs")->isEnabled());
        QVERIFY(!exchange()->canUndoPaste());
        for (Grid* g : {form()->findChild<Grid*>("Grid1"), form()->findChild<Grid*>("Grid2")}) {
            QCOMPARE(g->Row(), 1);
            QCOMPARE(g->Col(), 1);
            QCOMPARE(g->cellBackColorAt(2, 1), GridModel::normalColor);
            QCOMPARE(g->ColWidth(1), Grid::defaultColWidthTwips);
        }
        QCOMPARE(form()->findChild<Grid*>("Grid3")->TextMatrix(1, 0), QString());
        QCOMPARE(form()->findChild<QLineEdit*>("Txt7")->text(), QStringLiteral("Text7"));
        QCOMPARE(form()->findChild<QLineEdit*>("Text4")->text(), QString());
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(1), QString());
        QCOMPARE(QApplication::focusWidget(), form()->findChild<QLineEdit*>("Text1"));
    }

    void saveWritesWhatCopySystemCopies_data()
    {
        QTest::addColumn<QByteArray>("opened");  // empty: nothing opened
        QTest::addColumn<bool>("asks");
        QTest::newRow("never saved") << QByteArray() << true;
        QTest::newRow("opened tab-separated") << QByteArray("1\t2\t3\n4\t5\t6\n") << false;
        QTest::newRow("opened comma-separated") << QByteArray("1,2,3\n4,5,6\n") << true;
        QTest::newRow("opened semicolon-separated") << QByteArray("1;2;3\n4;5;6\n") << true;
    }

    // The first Save of a system not yet saved as tabs asks for a name; later
    // ones write there. Opened in a window of another N it is the same.
    void saveWritesWhatCopySystemCopies()
    {
        QFETCH(QByteArray, opened);
        QFETCH(bool, asks);
        const QString openedPath = scratch.filePath(QStringLiteral("opened.csv"));
        if (!opened.isEmpty())
            openFile(fileUrl(QStringLiteral("opened.csv"), opened).toLocalFile());
        dialogs.asked.clear();
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1+i", "say \"x\"", "a;b"}, {"", "-1+i", "i"}}, 1,
                              1);
        const QString target = scratch.filePath(QStringLiteral("saved.tsv"));
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSystem")->trigger();
        const QString written = asks ? target : openedPath;
        QCOMPARE(dialogs.asked.size(), asks ? 1 : 0);
        if (asks)
            QCOMPARE(dialogs.asked[0],
                     QStringLiteral("Save system as | ")
                         + (opened.isEmpty() ? QDir::home().filePath(QStringLiteral("system.tsv"))
                                             : scratch.filePath(QStringLiteral("opened.tsv"))));
        QCOMPARE(QString::fromUtf8(contents(written)), clipboardSystem());
        h->typeCoefficient(2, 1, QStringLiteral("7"));
        form()->findChild<QAction*>("saveSystem")->trigger();
        QCOMPARE(dialogs.asked.size(), asks ? 1 : 0);
        QCOMPARE(QString::fromUtf8(contents(written)), clipboardSystem());

        const QStringList saved = tables();
        h->makeForm();
        QVERIFY(openWindow(1));
        openFile(written);
        QCOMPARE(tables(), saved);
        checkNoMessage();
    }

    void failedSaveLosesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("the folder is a file") << "folder";
        QTest::newRow("the disk fills up while writing") << "limit";
    }

    // Failures that the superuser meets too, so the test holds when run as
    // root: no folder to write into, and a write that stops halfway (the
    // process's file size limit).
    void failedSaveLosesNothing()
    {
        QFETCH(QString, kind);
        const QString old = fileUrl(QStringLiteral("kept.tsv"), "old\tcontents\n").toLocalFile();
        QString target = old;
        if (kind == QLatin1String("folder"))
            target = old + QStringLiteral("/system.tsv");
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1", "2", "3"}, {"4", "5", "6"}}, 1, 1);
        const QStringList before = tables();
        const QStringList files = QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        dialogs.answers << target;
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit kept = limit;
        const auto noSignal = std::signal(SIGXFSZ, SIG_IGN);
        if (kind == QLatin1String("limit")) {
            limit.rlim_cur = 4;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        form()->findChild<QAction*>("saveSystemAs")->trigger();
        setrlimit(RLIMIT_FSIZE, &kept);
        std::signal(SIGXFSZ, noSignal);

        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].style, MessageBox::Style::Stop);
        QVERIFY2(h->messages.messages[0].message.startsWith(
                     QStringLiteral("The file \"%1\" cannot be written: ").arg(QDir::toNativeSeparators(target))),
                 qPrintable(h->messages.messages[0].message));
        QCOMPARE(contents(old), QByteArray("old\tcontents\n"));
        QCOMPARE(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
        QCOMPARE(tables(), before);
        // No file was saved, so Save still asks.
        form()->findChild<QAction*>("saveSystem")->trigger();
        QCOMPARE(dialogs.asked.size(), 2);
    }

    void saveSolutionWritesTextsAndExactNumbers()
    {
        QVERIFY(!form()->findChild<QAction*>("saveSolutionAs")->isEnabled());
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1+i", "1", "2+3i"}, {"1", "-1+i", "i"}}, 1, 1);
        form()->solve_Click();
        QVERIFY(form()->findChild<QAction*>("saveSolutionAs")->isEnabled());
        const QString target = scratch.filePath(QStringLiteral("solution.tsv"));
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSolutionAs")->trigger();
        exchange()->copySolutionNumbers();
        const QStringList numbers = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QString expected;
        for (int k = 0; k < 2; ++k)
            expected += QStringLiteral("X%1\t%2\t%3\n").arg(k + 1).arg(solution[k], numbers[k]);
        QCOMPARE(QString::fromUtf8(contents(target)), expected);
        form()->back_Click();
        QVERIFY(!form()->findChild<QAction*>("saveSolutionAs")->isEnabled());
        checkNoMessage();
    }

    // Written a second after a change and at once by Exit or the close box;
    // the next run offers it, whatever that run writes itself.
    void recoveryKeepsTheSystemForTheNextRun()
    {
        const QString file = h->state.recoveryFile();
        QVERIFY(!form()->findChild<QAction*>("recoverSystem")->isEnabled());
        form()->exit_Click();
        QVERIFY(!QFile::exists(file));

        h->makeForm();
        QVERIFY(openWindow(2));
        h->typeCoefficient(1, 1, QStringLiteral("1+i"));
        QVERIFY(recoveryTimer()->isActive());
        QVERIFY(!QFile::exists(file));
        tick(recoveryTimer());
        QCOMPARE(contents(file), QByteArray("1+i\t\t\n\t\t\n"));
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1+i", "1", "2+3i"}, {"1", "-1+i", "i"}}, 1, 1);
        form()->close();
        QCOMPARE(QString::fromUtf8(contents(file)), clipboardSystem());

        h->makeForm();
        QVERIFY(openWindow(3));
        QVERIFY(form()->findChild<QAction*>("recoverSystem")->isEnabled());
        h->typeCoefficient(1, 1, QStringLiteral("9"));
        tick(recoveryTimer());
        QVERIFY(contents(file).startsWith("9\t"));
        form()->findChild<QAction*>("recoverSystem")->trigger();
        QCOMPARE(form()->state().N, 2);
        QCOMPARE(tables(), systemTexts());
        checkNoMessage();
    }

    // The parameters belong to the system: a change of one is a change of
    // the system, Save writes them before the rows, Open, Recover and a
    // dropped file take them, the recovery file keeps them; Copy system
    // copies the tables only. A dropped file without parameter lines
    // leaves the parameters as they are.
    void parametersTravelWithTheSystem()
    {
        const auto parameters = [this] {
            QStringList texts;
            for (const Parameter& p : form()->systemParameters().parameters())
                texts << QString::fromStdString(p.name + "=" + p.formula);
            return texts;
        };
        const QStringList ours{"R=10", "w=2*pi*50"};
        form()->systemParameters().set({{"R", "10"}, {"w", "2*pi*50"}});
        QVERIFY(recoveryTimer()->isActive());
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"=R+j*w*0.1", "=-R", "1"}, {"=-R", "=R||R", "0"}},
                              1, 1);
        const QStringList typed = tables();
        const QByteArray rows("=R+j*w*0.1\t=-R\t1\n=-R\t=R||R\t0\n");
        QCOMPARE(clipboardSystem(), QString::fromUtf8(rows));
        const QString target = scratch.filePath(QStringLiteral("ac.tsv"));
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSystemAs")->trigger();
        const QByteArray file = "R = 10\nw = 2*pi*50\n" + rows;
        QCOMPARE(contents(target), file);
        tick(recoveryTimer());
        QCOMPARE(contents(h->state.recoveryFile()), file);

        h->makeForm();
        QVERIFY(openWindow(1));
        openFile(target);
        QCOMPARE(parameters(), ours);
        QCOMPARE(tables(), typed);

        h->makeForm();
        QVERIFY(openWindow(2));
        form()->findChild<QAction*>("recoverSystem")->trigger();
        QCOMPARE(parameters(), ours);
        QCOMPARE(tables(), typed);

        form()->systemParameters().set({{"x", "1"}});
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"), {QUrl::fromLocalFile(target)}));
        QCOMPARE(parameters(), ours);
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"), {fileUrl(QStringLiteral("plain.tsv"), "1\t2\t3\n4\t5\t6\n")}));
        QCOMPARE(parameters(), ours);
        checkNoMessage();
    }

    void recoveryFileThatCannotBeWrittenIsToldOnce()
    {
        // A file where the recovery folder should be.
        QFile blocker(h->state.folder.filePath(QStringLiteral("kalvor1")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^The recovery file cannot be written")));
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        tick(recoveryTimer());
        QVERIFY(form()
                    ->findChild<StatusBar*>("StatusBar1")
                    ->panelText(4)
                    .startsWith(QStringLiteral("The recovery file cannot be written: ")));
        // Told once: the click emptied the panel, and it stays so.
        h->typeCoefficient(1, 1, QStringLiteral("2"));
        tick(recoveryTimer());
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), QString());
        QVERIFY(blocker.remove());
        h->typeCoefficient(1, 1, QStringLiteral("3"));
        tick(recoveryTimer());
        QCOMPARE(contents(h->state.recoveryFile()), QByteArray("3\t\t\n\t\t\n"));
        QCOMPARE(form()->findChild<StatusBar*>("StatusBar1")->panelText(4), QString());
        checkNoMessage();
    }
};

QTEST_MAIN(Form1DropTest)
#include "form1_drop_test.moc"
