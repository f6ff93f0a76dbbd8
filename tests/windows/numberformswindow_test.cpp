// The Number forms page: every example on it is read, as a cell at Solve
// is, as the number the page says.
#include <cmath>
#include <complex>
#include <string>

#include <QTextBrowser>
#include <QTest>

#include "core/core.h"
#include "core/numberreading.h"
#include "core/partcell.h"
#include "windows/numberformswindow.h"

using namespace kalvor;

namespace {

// A plain cell text read by the plain reading alone.
std::complex<double> plainReading(const std::string& text)
{
    const CellParts parts = partcell(text);
    return {readNumber(parts.re).value_or(NAN), readNumber(parts.im).value_or(NAN)};
}

bool near(std::complex<double> a, std::complex<double> b)
{
    const double scale = std::max({1.0, std::abs(a), std::abs(b)});
    return std::abs(a - b) <= 1e-13 * scale;
}

}  // namespace

class NumberFormsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyExampleReadsAsShown()
    {
        // The parameters the page's examples use.
        const ParameterValues parameters = evaluateParameters({{"R", "10"}, {"w", "100"}, {"L", "0.2"}});
        QVERIFY(NumberFormsWindow::forms().size() >= 30);
        for (const NumberFormsWindow::Form& form : NumberFormsWindow::forms()) {
            // One equation, example * X1 = 1, read as Solve reads it.
            const std::vector<std::vector<std::string>> rows{{form.example.toStdString(), "1"}};
            const CellParts cell = partcell(rows[0][0]);
            PartMatrix re{{cell.re}}, im{{cell.im}};
            PartVector constRe{PartValue::fromText("1")}, constIm{PartValue::fromText("0")};
            const std::vector<CellProblem> problems = applyFallbacks(rows, parameters, re, im, constRe, constIm);
            QVERIFY2(problems.empty(), qPrintable(form.example));
            const std::complex<double> read(readNumber(re[0][0]).value_or(NAN), readNumber(im[0][0]).value_or(NAN));
            const std::complex<double> shown = plainReading(form.readAs.toStdString());
            QVERIFY2(near(read, shown), qPrintable(form.example + QStringLiteral(" read as %1%2%3i")
                                                                      .arg(read.real())
                                                                      .arg(read.imag() < 0 ? "" : "+")
                                                                      .arg(read.imag())));
        }
    }

    void pageListsEveryForm()
    {
        NumberFormsWindow window;
        const QString page = window.findChild<QTextBrowser*>("forms")->toPlainText();
        for (const NumberFormsWindow::Form& form : NumberFormsWindow::forms())
            QVERIFY2(page.contains(form.example) && page.contains(form.form), qPrintable(form.example));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString folder = qEnvironmentVariable("KALVOR_ARTIFACTS");
        if (!folder.isEmpty())
            window.grab().save(folder + QStringLiteral("/number-forms.png"));
    }
};

QTEST_MAIN(NumberFormsWindowTest)
#include "numberformswindow_test.moc"
