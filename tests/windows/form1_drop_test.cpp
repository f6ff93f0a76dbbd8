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
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
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
#include "platform/savequestion.h"
#include "windows/recentfiles.h"
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

    // The Recover submenu as the File menu shows it now.
    QMenu* recoverMenu()
    {
        emit form()->findChild<QMenu*>("file")->aboutToShow();
        return form()->findChild<QMenu*>("recoverSystem");
    }

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
        const QString solutionFile
            = QStringLiteral("The file \"%1\" is a solution, written by Save solution as, not a system; nothing was "
                             "changed.");
        QTest::newRow("a solution of 3 unknowns, without header")
            << "old.tsv"
            << QByteArray("X1\t 1.0000 + 0.0000i\t1\t0\nX2\t 2.0000 + 0.0000i\t2\t0\nX3\t 0.0000 + 0.0000i\t0\t0\n")
            << solutionFile.arg(QStringLiteral("old.tsv")) << qint64(0);
        QTest::newRow("a solution with its header")
            << "new.txt" << QByteArray("Unknown\tValue\tReal part\tImaginary part\nX1\t 1.0000 + 0.0000i\t1\t0\n")
            << solutionFile.arg(QStringLiteral("new.txt")) << qint64(0);
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
        QTest::newRow("another N, decimal commas")
            << QByteArray("1,5;0;0;-2,25e3\n0;1;0;1,5+0,5i\n0;0;1;2,5<0\n") << 3 << false;
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
        // Decimal commas as the full stops they stand for.
        if (QTest::currentDataTag() == QByteArray("another N, decimal commas"))
            expected = QStringList{"1.5", "0", "0", "-2.25e3", "0", "1", "0", "1.5+0.5i", "0", "0", "1", "2.5"};
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
        QString expected = QStringLiteral("Unknown\tValue\tReal part\tImaginary part\n");
        for (int k = 0; k < 2; ++k)
            expected += QStringLiteral("X%1\t%2\t%3\n").arg(k + 1).arg(solution[k], numbers[k]);
        QCOMPARE(QString::fromUtf8(contents(target)), expected);
        // With the polar form shown, its column too, under its title.
        QMenu* menu = exchange()->contextMenuFor(form()->findChild<Grid*>("Grid3"));
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String("Show polar form"))
                action->trigger();
        delete menu;
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSolutionAs")->trigger();
        const QStringList polar
            = {QStringLiteral("1.7951 \u2220 21.80\u00b0"), QStringLiteral("1.2019 \u2220 33.69\u00b0")};
        expected = QStringLiteral("Unknown\tValue\tReal part\tImaginary part\tPolar\n");
        for (int k = 0; k < 2; ++k)
            expected += QStringLiteral("X%1\t%2\t%3\t%4\n").arg(k + 1).arg(solution[k], numbers[k], polar[k]);
        QCOMPARE(QString::fromUtf8(contents(target)), expected);
        // With the accurate values shown, theirs after it, once the check is back.
        menu = exchange()->contextMenuFor(form()->findChild<Grid*>("Grid3"));
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String("Show accurate values"))
                action->trigger();
        delete menu;
        QTRY_VERIFY(form()->state().checksRunning == 0);
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSolutionAs")->trigger();
        expected = QStringLiteral("Unknown\tValue\tReal part\tImaginary part\tPolar\tAccurate\n");
        for (int k = 0; k < 2; ++k)
            expected += QStringLiteral("X%1\t%2\t%3\t%4\t%2\n").arg(k + 1).arg(solution[k], numbers[k], polar[k]);
        QCOMPARE(QString::fromUtf8(contents(target)), expected);
        // Such a file is no system: Open says so and changes nothing.
        form()->back_Click();
        const QStringList before = tables();
        openFile(target);
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].message,
                 QStringLiteral("The file \"solution.tsv\" is a solution, written by Save solution as, not a system; "
                                "nothing was changed."));
        QCOMPARE(tables(), before);
        h->messages.messages.clear();
        form()->back_Click();
        QVERIFY(!form()->findChild<QAction*>("saveSolutionAs")->isEnabled());
        checkNoMessage();
    }

    // Written a second after a change and at once by Exit or the close box,
    // each run to a file of its own; the next run offers the ones before,
    // newest first, whatever it writes itself.
    void recoveryKeepsEachRunsSystem()
    {
        QVERIFY(!recoverMenu()->isEnabled());
        form()->exit_Click();
        QVERIFY(h->state.recoveryFiles().isEmpty());

        h->makeForm();
        QVERIFY(openWindow(2));
        h->typeCoefficient(1, 1, QStringLiteral("1+i"));
        QVERIFY(recoveryTimer()->isActive());
        QVERIFY(h->state.recoveryFiles().isEmpty());
        tick(recoveryTimer());
        QCOMPARE(h->state.recoveryFiles().size(), 1);
        const QString first = h->state.recoveryFiles()[0];
        QCOMPARE(contents(first), QByteArray("1+i\t\t\n\t\t\n"));
        // Its own file is not offered to the run that writes it.
        QVERIFY(!recoverMenu()->isEnabled());
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"1+i", "1", "2+3i"}, {"1", "-1+i", "i"}}, 1, 1);
        form()->close();
        QCOMPARE(QString::fromUtf8(contents(first)), clipboardSystem());
        const QByteArray firstSystem = contents(first);

        h->makeForm();
        QVERIFY(openWindow(3));
        h->typeCoefficient(1, 1, QStringLiteral("9"));
        tick(recoveryTimer());
        QCOMPARE(h->state.recoveryFiles().size(), 2);
        QCOMPARE(contents(first), firstSystem);
        QVERIFY(recoverMenu()->isEnabled());
        const QList<QAction*> offered = recoverMenu()->actions();
        QCOMPARE(offered.size(), 1);
        const QDateTime written = QFileInfo(first).lastModified();
        QCOMPARE(
            offered[0]->text(),
            QStringLiteral("2 unknowns, %1 %2")
                .arg(written.toString(QStringLiteral("yyyy-MM-dd")), written.toString(QStringLiteral("HH:mm:ss"))));
        offered[0]->trigger();
        QCOMPARE(h->saveQuestion.asked, 1);
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
        exchange()->pasteRows(form()->findChild<Grid*>("Grid1"), {{"=R+j*w*0.1", "=-R", "1"}, {"=-R", "=R||R", "0"}}, 1,
                              1);
        const QStringList typed = tables();
        const QByteArray rows("=R+j*w*0.1\t=-R\t1\n=-R\t=R||R\t0\n");
        QCOMPARE(clipboardSystem(), QString::fromUtf8(rows));
        const QString target = scratch.filePath(QStringLiteral("ac.tsv"));
        dialogs.answers << target;
        form()->findChild<QAction*>("saveSystemAs")->trigger();
        const QByteArray file = "R = 10\nw = 2*pi*50\n" + rows;
        QCOMPARE(contents(target), file);
        tick(recoveryTimer());
        QCOMPARE(h->state.recoveryFiles().size(), 1);
        QCOMPARE(contents(h->state.recoveryFiles()[0]), file);

        h->makeForm();
        QVERIFY(openWindow(1));
        openFile(target);
        QCOMPARE(parameters(), ours);
        QCOMPARE(tables(), typed);

        h->makeForm();
        QVERIFY(openWindow(2));
        recoverMenu()->actions().at(0)->trigger();
        QCOMPARE(parameters(), ours);
        QCOMPARE(tables(), typed);

        form()->systemParameters().set({{"x", "1"}});
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"), {QUrl::fromLocalFile(target)}));
        QCOMPARE(parameters(), ours);
        QVERIFY(dragAndDrop(form()->findChild<Grid*>("Grid1"),
                            {fileUrl(QStringLiteral("plain.tsv"), "1\t2\t3\n4\t5\t6\n")}));
        QCOMPARE(parameters(), ours);
        checkNoMessage();
    }

    // New, Open and Recover leave the system before them in its file and
    // begin another for what follows; one that changes nothing adds none.
    void replacingTheSystemStartsANewRecoveryFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("New system") << "new";
        QTest::newRow("Open system") << "open";
        QTest::newRow("Recover") << "recover";
    }

    void replacingTheSystemStartsANewRecoveryFile()
    {
        QFETCH(QString, command);
        form()->setCountQuestion([this] {
            h->count = QStringLiteral("2");
            return true;
        });
        RecoveryFile other([] { return std::string("5\t6\n"); });
        other.changed();
        other.flush();
        h->typeCoefficient(1, 1, QStringLiteral("1"));
        // No tick: the replacing command writes what is pending first.
        if (command == QLatin1String("new"))
            form()->findChild<QAction*>("newSystem")->trigger();
        else if (command == QLatin1String("open"))
            openFile(fileUrl(QStringLiteral("open.tsv"), "4\t5\t6\n7\t8\t9\n").toLocalFile());
        else
            recoverMenu()->actions().at(0)->trigger();
        QCOMPARE(h->saveQuestion.asked, 1);
        // Another window at the same time keeps its own file.
        const QStringList files = h->state.recoveryFiles();
        QCOMPARE(files.size(), 2);
        QVERIFY(files.contains(other.ownFile()));
        QCOMPARE(contents(other.ownFile()), QByteArray("5\t6\n"));
        const QString before = files[files[0] == other.ownFile() ? 1 : 0];
        QCOMPARE(contents(before), QByteArray("1\t\t\n\t\t\n"));
        QCOMPARE(other.history().size(), std::size_t(1));
        QCOMPARE(other.history()[0].path, before);
        // Nothing changed since: nothing more is written, even at Exit.
        QVERIFY(!recoveryTimer()->isActive());
        form()->exit_Click();
        QCOMPARE(h->state.recoveryFiles().size(), 2);

        h->makeForm();
        QVERIFY(openWindow(2));
        h->typeCoefficient(2, 2, QStringLiteral("3"));
        tick(recoveryTimer());
        QCOMPARE(h->state.recoveryFiles().size(), 3);
        QCOMPARE(contents(before), QByteArray("1\t\t\n\t\t\n"));
        checkNoMessage();
    }

    // Ten files are kept: a new one removes the oldest beyond that, judged by
    // when each was written.
    void historyKeepsTheLastTen()
    {
        const QString folder = RecoveryFile::folder();
        QVERIFY(QDir().mkpath(folder));
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
        QStringList made;
        for (int k = 0; k < 12; ++k) {
            // Named against their age, so only the times can order them.
            QFile file(folder + QStringLiteral("/recovered-%1.tsv").arg(20 - k));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(k) + "\t1\n");
            QVERIFY(file.flush());
            QVERIFY(file.setFileTime(base.addSecs(k), QFileDevice::FileModificationTime));
            made << file.fileName();
        }
        RecoveryFile run([] { return std::string("1\t1\n"); });
        run.changed();
        run.flush();
        const QStringList kept = h->state.recoveryFiles();
        QCOMPARE(kept.size(), RecoveryFile::keptFiles);
        QVERIFY(kept.contains(run.ownFile()));
        for (int k = 0; k < 12; ++k)
            QCOMPARE(kept.contains(made[k]), k >= 3);
        const std::vector<RecoveryFile::Entry> offered = run.history();
        QCOMPARE(offered.size(), std::size_t(9));
        QCOMPARE(offered.front().path, made[11]);
        QCOMPARE(offered.back().path, made[3]);
    }

    void replacingAChangedSystemAsksFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");  // SaveQuestion::Answer
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<bool>("replaced");
        const auto save = int(SaveQuestion::Answer::Save), discard = int(SaveQuestion::Answer::Discard),
                   cancel = int(SaveQuestion::Answer::Cancel);
        for (const char* command : {"new", "open", "open recent", "recover"}) {
            QTest::addRow("%s, Save", command) << command << save << false << true;
            QTest::addRow("%s, Save fails", command) << command << save << true << false;
            QTest::addRow("%s, Discard", command) << command << discard << false << true;
            QTest::addRow("%s, Cancel", command) << command << cancel << false << false;
        }
    }

    void replacingAChangedSystemAsksFirst()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, saveFails);
        QFETCH(bool, replaced);
        form()->setCountQuestion([this] {
            h->count = QStringLiteral("1");
            return true;
        });
        // Commas: Save does not write over it, but asks for a name.
        const QString other = fileUrl(QStringLiteral("other.csv"), "4,5\n").toLocalFile();
        RecentFiles(RecoveryFile::folder() + QStringLiteral("/recent-files.txt")).add(other);
        RecoveryFile earlier([] { return std::string("4\t5\n"); });
        earlier.changed();
        earlier.flush();
        const auto run = [&] {
            emit form()->findChild<QMenu*>("file")->aboutToShow();
            if (command == QLatin1String("new"))
                form()->findChild<QAction*>("newSystem")->trigger();
            else if (command == QLatin1String("open"))
                openFile(other);
            else if (command == QLatin1String("open recent"))
                form()->findChild<QAction*>("openRecent1")->trigger();
            else
                recoverMenu()->actions().at(0)->trigger();
        };
        // Empty and never saved: nothing to ask.
        run();
        QCOMPARE(h->saveQuestion.asked, 0);
        QCOMPARE(form()->state().N, 1);
        // Typed into: asked. Saved or just opened: not asked again.
        h->typeCoefficient(1, 1, QStringLiteral("8"));
        const QStringList typed = tables();
        const QString target
            = scratch.filePath(saveFails ? QStringLiteral("other.csv/saved.tsv")
                                         : QStringLiteral("saved-%1.tsv").arg(QTest::currentDataTag()));
        const bool saving = answer == int(SaveQuestion::Answer::Save);
        if (saving)
            dialogs.answers << target;
        h->saveQuestion.answer = SaveQuestion::Answer(answer);
        run();
        QCOMPARE(h->saveQuestion.asked, 1);
        const QStringList replacement = command == QLatin1String("new") ? QStringList{"", ""} : QStringList{"4", "5"};
        QCOMPARE(tables(), replaced ? replacement : typed);
        QCOMPARE(QFile::exists(target), saving && !saveFails);
        if (saving && !saveFails)
            QCOMPARE(contents(target), (typed.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
        QCOMPARE(h->messages.messages.size(), std::size_t(saveFails ? 1 : 0));
        if (replaced) {
            run();
            QCOMPARE(h->saveQuestion.asked, 1);
        } else {
            dialogs.answers = {scratch.filePath(QStringLiteral("later.tsv"))};
            form()->findChild<QAction*>("saveSystemAs")->trigger();
            run();
            QCOMPARE(h->saveQuestion.asked, 1);
        }
    }

    // The last eight files opened or saved, newest first, in every run; one
    // that has gone is said so and taken off.
    void openRecentOffersTheLastFiles()
    {
        QVERIFY(!form()->findChild<QMenu*>("openRecent")->isEnabled());
        QStringList paths;
        for (int k = 1; k <= 9; ++k) {
            paths.prepend(fileUrl(QStringLiteral("s%1.tsv").arg(k), QByteArray::number(k) + "\t1\n").toLocalFile());
            openFile(paths.front());
        }
        dialogs.answers << scratch.filePath(QStringLiteral("saved.tsv"));
        form()->findChild<QAction*>("saveSystemAs")->trigger();
        paths.prepend(scratch.filePath(QStringLiteral("saved.tsv")));
        h->makeForm();
        QVERIFY(openWindow(1));
        emit form()->findChild<QMenu*>("file")->aboutToShow();
        QMenu* recent = form()->findChild<QMenu*>("openRecent");
        QVERIFY(recent->isEnabled());
        QStringList offered;
        for (QAction* action : recent->actions())
            offered << action->text();
        QStringList expected;
        for (int k = 0; k < RecentFiles::keptNames; ++k)
            expected << QStringLiteral("&%1 %2").arg(k + 1).arg(QDir::toNativeSeparators(paths[k]));
        QCOMPARE(offered, expected);
        form()->findChild<QAction*>("openRecent3")->trigger();
        QCOMPARE(tables(), (QStringList{"8", "1"}));

        QVERIFY(QFile::remove(paths[1]));
        form()->findChild<QAction*>("openRecent2")->trigger();
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].message,
                 QStringLiteral("The file \"%1\" is no longer there; it is taken off the list of recent files.")
                     .arg(QDir::toNativeSeparators(paths[1])));
        QCOMPARE(tables(), (QStringList{"8", "1"}));
        QVERIFY(!RecentFiles(RecoveryFile::folder() + QStringLiteral("/recent-files.txt")).paths().contains(paths[1]));
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
        StatusBar* bar = form()->findChild<StatusBar*>("StatusBar1");
        QVERIFY(bar->panelText(4).startsWith(QStringLiteral("The recovery file cannot be written: ")));
        // Told once: the click emptied the panel, and it stays so.
        h->typeCoefficient(1, 1, QStringLiteral("2"));
        tick(recoveryTimer());
        QCOMPARE(bar->panelText(4), QString());
        QVERIFY(blocker.remove());
        h->typeCoefficient(1, 1, QStringLiteral("3"));
        tick(recoveryTimer());
        QCOMPARE(h->state.recoveryFiles().size(), 1);
        QCOMPARE(contents(h->state.recoveryFiles()[0]), QByteArray("3\t\t\n\t\t\n"));
        QCOMPARE(bar->panelText(4), QString());

        // A failure while panel 4 points at a data error leaves it there.
        QVERIFY(QDir(RecoveryFile::folder()).removeRecursively());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        h->typeCoefficient(2, 2, QStringLiteral("x"));
        form()->solve_Click();
        QCOMPARE(bar->panelText(4), QStringLiteral("EQ.2, X2: not a number"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^The recovery file cannot be written")));
        tick(recoveryTimer());
        QCOMPARE(bar->panelText(4), QStringLiteral("EQ.2, X2: not a number"));
        QVERIFY(bar->toolTip().startsWith(QStringLiteral("The recovery file cannot be written: ")));
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
    }
};

QTEST_MAIN(Form1DropTest)
#include "form1_drop_test.moc"
