// One system, two ways: typed into the equation window (offscreen) and solved
// there, and given to kalvor1-solve as a file. The solution texts, and on a
// failure the message and the outcome, must be the same; so must the cells
// whose reading dropped text after a solution.
#include <memory>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/systemfile.h"
#include "form1testcase.h"
#include "platform/statusbar.h"
#include "windows/systemparameters.h"

using namespace kalvor;

namespace {

struct ProgramResult {
    int status = -1;
    QStringList lines;  // standard output, one entry per line
    QString error;      // standard error without its line end
};

ProgramResult runProgram(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral(KALVOR_SOLVE_PROGRAM), {file});
    ProgramResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    if (!out.isEmpty())
        result.lines = out.split(QLatin1Char('\n'));
    result.error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

}  // namespace

class CliWindowAgreementTest : public Form1TestCase {
    Q_OBJECT

private:
    QTemporaryDir scratch;

private slots:
    void sameTextsAndMessages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("N = 1, 2 X1 = 4+2i") << QByteArray("2\t4+2i\n");
        QTest::newRow("N = 1, 2i X1 = 4") << QByteArray("2i,4\n");
        QTest::newRow("N = 2, worked") << QByteArray("1+i\t1\t2+3i\n1\t-1+i\ti\n");
        QTest::newRow("N = 2, near singular") << QByteArray("0.1,0.3,1\n0.3,0.9,2\n");
        QTest::newRow("N = 2, tiny first pivot") << QByteArray("1E-20,1,1\n1,1,2\n");
        QTest::newRow("N = 4, every cell form")
            << QByteArray("4i+3,i,,-j,1e-3\n-2.5,+i3,j-2,0i,3-4-5i\n 7 ,25i,-i+3,2.5j,i\n1,0,0.0001,123456,-0.25\n");
        QTest::newRow("N = 3, negative imaginary parts") << QByteArray("1,,,-1.5j\n,2,,-246912i\n,,3,-0.000036j\n");
        QTest::newRow("N = 2, text dropped in three cells") << QByteArray("1,3+i4,1\n3-4-5i,1,ii3\n");
        QTest::newRow("N = 1, zero coefficient") << QByteArray("0,5\n");
        QTest::newRow("N = 2, dependent rows") << QByteArray("1,2,5\n2,4,7\n");
        QTest::newRow("N = 2, abc") << QByteArray("5,0,1\n0,abc,1\n");
        QTest::newRow("N = 2, 1E200 everywhere") << QByteArray("1E200,1E200,1\n1E200,1E200,1\n");
        QTest::newRow("N = 3, AC circuit with parameters and formulas")
            << QByteArray("f = 50\nw = 2*pi*f\nR = 10\nL = 22m\nC = 470u\n"
                          "=R + j*w*L + 1/(j*w*C),=-1/(j*w*C),0,=230\n"
                          "=-1/(j*w*C),=1/(j*w*C) + R||47 + 15,-15,0\n"
                          "0,-15,=15 + j*w*10m,=110<150\n");
        QTest::newRow("N = 2, engineering numbers and a phasor") << QByteArray("2.2k,1k-j5,5<90\n1E-3j,4.7u,1\n");
        QTest::newRow("N = 2, a formula without a value") << QByteArray("R = 1k\n=R,=1/(R-1k),1\n0,1,=Lx\n");
        QTest::newRow("N = 2, unit before number") << QByteArray("10,-j5,1\n-j5,j10,0\n");
    }

    void sameTextsAndMessages()
    {
        QFETCH(QByteArray, bytes);
        const SystemFile system = readSystemFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        QCOMPARE(system.problem, SystemFileProblem::None);
        const int n = int(system.unknowns());

        // The window: the parameters, every cell typed through its editor
        // line, then Solve.
        QVERIFY(h->open(n));
        h->form->systemParameters().set(system.parameters);
        for (int r = 1; r <= n; ++r) {
            const auto& fields = system.rows[std::size_t(r - 1)];
            for (int c = 1; c <= n; ++c)
                if (!fields[std::size_t(c - 1)].empty())
                    h->typeCoefficient(r, c, QString::fromStdString(fields[std::size_t(c - 1)]));
            if (!fields[std::size_t(n)].empty())
                h->typeConstant(r, QString::fromStdString(fields[std::size_t(n)]));
        }
        h->form->findChild<QAction*>("solve")->trigger();

        // The program, on the same bytes as a file.
        const QString path = scratch.filePath(QStringLiteral("system.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const ProgramResult program = runProgram(path);

        if (h->messages.messages.empty()) {
            QCOMPARE(program.status, 0);
            // One warning per cell whose reading dropped text; the window names
            // the first of them in panel 4 and counts the others. The check's
            // warnings (wrong unknowns, or unreliable digits) follow them.
            QStringList warnings, unitFirst, wrong;
            bool unreliable = false;
            static const QRegularExpression wrongUnknown(QStringLiteral("^kalvor1-solve: warning: (X\\d+) has wrong"));
            for (const QString& line : program.error.isEmpty() ? QStringList() : program.error.split('\n')) {
                if (const QRegularExpressionMatch m = wrongUnknown.match(line); m.hasMatch())
                    wrong << m.captured(1);
                else if (line.contains(QStringLiteral(": nearly singular (")))
                    unreliable = true;
                else if (line.contains(QStringLiteral("; for ")))  // a unit before a number
                    unitFirst << line;
                else
                    warnings << line;
            }
            QString panel4;
            // Dropped text is named first, then a unit before a number.
            const QString what = warnings.isEmpty() ? QStringLiteral("Unit before number") : QStringLiteral("Text dropped");
            if (warnings.isEmpty())
                warnings = unitFirst;
            if (!warnings.isEmpty()) {
                static const QRegularExpression where(
                    QStringLiteral("^kalvor1-solve: warning: line (\\d+), field (\\d+): "));
                const QRegularExpressionMatch first = where.match(warnings.front());
                QVERIFY2(first.hasMatch(), qPrintable(program.error));
                const int line = first.captured(1).toInt(), field = first.captured(2).toInt();
                // A file's line counts its parameter lines too.
                const int equation = line - int(system.parameters.size());
                panel4 = field == n + 1 ? QStringLiteral("%1 in C %2").arg(what).arg(equation)
                                        : QStringLiteral("%1 in EQ.%2, X%3").arg(what).arg(equation).arg(field);
                if (warnings.size() > 1)
                    panel4 += QStringLiteral(" and %1 more").arg(warnings.size() - 1);
            }
            QCOMPARE(h->form->findChild<StatusBar*>("StatusBar1")->panelText(4), panel4);
            // Then the check's verdict, unless a reading note is named.
            if (panel4.isEmpty())
                panel4 = unreliable   ? QStringLiteral("Nearly singular: digits unreliable")
                    : wrong.isEmpty() ? QStringLiteral("Checked: all digits right")
                                      : QStringLiteral("Wrong digits: ") + wrong.join(QStringLiteral(", "));
            QTRY_VERIFY(h->form->state().checksRunning == 0);
            QCOMPARE(h->form->findChild<StatusBar*>("StatusBar1")->panelText(4), panel4);
            for (int k = 1; k <= n; ++k)
                QCOMPARE(h->form->findChild<Grid*>("Grid3")->cellMarkAt(k, 1).isEmpty(),
                         !wrong.contains(QStringLiteral("X%1").arg(k)));
            QStringList window;
            for (int k = 1; k <= n; ++k)
                window << h->form->findChild<Grid*>("Grid3")->TextMatrix(k, 1);
            QCOMPARE(program.lines, window);
            h->screenshot(QStringLiteral("cli-agreement-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
            return;
        }
        QCOMPARE(h->messages.messages.size(), std::size_t(1));
        const auto& message = h->messages.messages.front();
        QVERIFY(program.lines.isEmpty());
        QVERIFY2(program.error.startsWith(QStringLiteral("kalvor1-solve: ") + message.message),
                 qPrintable(program.error));
        // The window's title tells the two failures apart.
        QCOMPARE(program.status, message.title == QStringLiteral("KALVOR1") ? 2 : 3);
        // A formula without a value: both give the same reason.
        static const QRegularExpression reason(QStringLiteral("; line \\d+, field \\d+: (.*)$"));
        if (const QRegularExpressionMatch m = reason.match(program.error); m.hasMatch() && m.captured(1) != "not a number")
            QVERIFY2(h->form->findChild<StatusBar*>("StatusBar1")->panelText(4).endsWith(QStringLiteral(": ") + m.captured(1)),
                     qPrintable(program.error));
    }
};

QTEST_MAIN(CliWindowAgreementTest)
#include "cli_window_agreement_test.moc"
