// System files dropped on the equation window: dragged through the window's
// own drag and drop routing (to the widget under the point), read, and pasted
// as one undoable step, or refused with a message and the tables untouched.
#include <memory>

#include <QDropEvent>
#include <QFrame>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>

#include "form1_fixture.h"

using namespace kalvor;

namespace {

// N = 2 worked system: (1+i) X1 + X2 = 2+3i, X1 + (-1+i) X2 = i.
const QStringList coefficients
    = {QStringLiteral("1+i"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("-1+i")};
const QStringList constants = {QStringLiteral("2+3i"), QStringLiteral("i")};
const QStringList solution = {QStringLiteral(" 1.6667 + 6.6667E-01i"), QStringLiteral(" 1.0000 + 6.6667E-01i")};

}  // namespace

class Form1DropTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Harness> h;
    QTemporaryDir scratch;
    Form1* form() { return h->form.get(); }

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
        for (int r = 1; r <= form()->unknownCount(); ++r) {
            for (int c = 1; c <= form()->unknownCount(); ++c)
                texts << form()->grid1()->TextMatrix(r, c);
            texts << form()->grid2()->TextMatrix(r, 1);
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
        h = std::make_unique<Form1Harness>();
        QVERIFY(h->open(2));
    }

    void cleanup()
    {
        QVERIFY2(h->watchdog.unexpected().isEmpty(), qPrintable(h->watchdog.unexpected().join(", ")));
        h.reset();
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
        QTest::keyClick(form()->grid1(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tables(), before);

        QVERIFY(dragAndDrop(target, {url}));
        form()->solve_Click();
        QCOMPARE(form()->grid3()->TextMatrix(1, 1), solution[0]);
        QCOMPARE(form()->grid3()->TextMatrix(2, 1), solution[1]);
        checkNoMessage();
    }

    void refusesAFileThatDoesNotFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // empty name: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("one equation") << "one.tsv" << QByteArray("1\t2\n")
                                      << "The file \"one.tsv\" holds a system of 1 equation; this window has 2 "
                                         "unknowns.";
        QTest::newRow("three equations") << "three.csv" << QByteArray("1,0,0,1\n0,1,0,1\n0,0,1,1\n")
                                         << "The file \"three.csv\" holds a system of 3 equations; this window "
                                            "has 2 unknowns.";
        QTest::newRow("short line") << "short.tsv" << QByteArray("1\t1\t2\n1\t2\n")
                                    << "The file \"short.tsv\" cannot be used: line 2 has 2 fields, 3 expected.";
        QTest::newRow("bad bytes") << "bad.csv" << QByteArray("1,1,2\n1,\xFF,2\n")
                                   << "The file \"bad.csv\" cannot be used: line 2 is not UTF-8 text.";
        QTest::newRow("empty") << "empty.txt" << QByteArray()
                               << "The file \"empty.txt\" cannot be used: the file holds no equation.";
    }

    void refusesAFileThatDoesNotFit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QStringList before = tables();
        QVERIFY(dragAndDrop(form()->grid1(), {fileUrl(name, bytes)}));
        QCOMPARE(tables(), before);
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        QCOMPARE(h->messages.messages[0].style, MessageBox::Style::Stop);
        QCOMPARE(h->messages.messages[0].message, message);
        QCOMPARE(h->messages.messages[0].title, QStringLiteral("KALVOR1"));
        QVERIFY(!form()->canUndoPaste());
    }

    void refusesAFileGoneBeforeTheDrop()
    {
        const QUrl url = fileUrl(QStringLiteral("gone.tsv"), "1\t1\t2\n1\t2\t3\n");
        QFile::remove(url.toLocalFile());
        QVERIFY(dragAndDrop(form()->grid1(), {url}));
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
            form()->pasteRows(form()->grid1(), {{"1", "1", "2"}, {"1", "2", "3"}}, 1, 1);
            form()->solve_Click();
            QVERIFY(form()->frame1()->isVisible());
        }
        h->messages.messages.clear();
        const QStringList before = tables();
        QVERIFY(!dragAndDrop(form()->grid1(), urls));
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
};

QTEST_MAIN(Form1DropTest)
#include "form1_drop_test.moc"
