#include "windows/numberformswindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kalvor {

namespace {

const QString plain = QStringLiteral("Any cell");
const QString engineering = QStringLiteral("Engineering number");
const QString formula = QStringLiteral("Formula (starts with =)");

}  // namespace

const std::vector<NumberFormsWindow::Form>& NumberFormsWindow::forms()
{
    static const std::vector<Form> all{
        {plain, QStringLiteral("a real number"), QStringLiteral("2.5"), QStringLiteral("2.5")},
        {plain, QStringLiteral("E and the exponent"), QStringLiteral("1.5E-3"), QStringLiteral("0.0015")},
        {plain, QStringLiteral("real and imaginary part, small i or j after the imaginary part"),
         QStringLiteral("3-4j"), QStringLiteral("3-4i")},
        {plain, QStringLiteral("an imaginary number alone"), QStringLiteral("2.5i"), QStringLiteral("0+2.5i")},
        {plain, QStringLiteral("phasor: magnitude, \u2220 or < or @, angle in degrees (\u00b0 or deg after it, or "
                               "nothing); Enter turns it into its rectangular text"),
         QStringLiteral("10\u222090"), QStringLiteral("0+10i")},
        {plain, QStringLiteral("phasor with the angle in radians (rad or r after it)"), QStringLiteral("4@0rad"),
         QStringLiteral("4")},
        {engineering, QStringLiteral("SI prefix right after the digits: p n u \u00b5 m k M G T"),
         QStringLiteral("2.2k"), QStringLiteral("2200")},
        {engineering, QStringLiteral("SI prefix, small"), QStringLiteral("4.7u"), QStringLiteral("4.7E-06")},
        {engineering, QStringLiteral("imaginary number with an exponent"), QStringLiteral("1E-3j"),
         QStringLiteral("0+0.001i")},
        {engineering, QStringLiteral("real \u00b1 imaginary, j before or after the digits"), QStringLiteral("1k-j5"),
         QStringLiteral("1000-5i")},
        {engineering, QStringLiteral("phasor left in a cell without Enter"), QStringLiteral("5<90"),
         QStringLiteral("0+5i")},
        {formula, QStringLiteral("+ - * / ^ and parentheses (no implicit multiplication: 2*pi, not 2pi)"),
         QStringLiteral("=(2+3)*4^2/8"), QStringLiteral("10")},
        {formula, QStringLiteral("unary minus"), QStringLiteral("=-(3+4j)"), QStringLiteral("-3-4i")},
        {formula, QStringLiteral("numbers with E exponent and SI prefix"), QStringLiteral("=1/(2*pi*50*10u)"),
         QStringLiteral("318.309886183791")},
        {formula, QStringLiteral("i or j after a number"), QStringLiteral("=3+4j"), QStringLiteral("3+4i")},
        {formula, QStringLiteral("j before a number (the engineer's 5j)"), QStringLiteral("=j5"),
         QStringLiteral("0+5i")},
        {formula, QStringLiteral("j alone"), QStringLiteral("=j*2"), QStringLiteral("0+2i")},
        {formula, QStringLiteral("impedances in parallel: a||b is a\u00b7b/(a+b)"), QStringLiteral("=10||10"),
         QStringLiteral("5")},
        {formula, QStringLiteral("phasor: \u2220, < or @; degrees, or \u00b0 or deg after the angle"),
         QStringLiteral("=5\u222090\u00b0"), QStringLiteral("0+5i")},
        {formula, QStringLiteral("phasor with the angle in radians"), QStringLiteral("=4@0rad"), QStringLiteral("4")},
        {formula, QStringLiteral("the constant pi"), QStringLiteral("=pi"), QStringLiteral("3.14159265358979")},
        {formula, QStringLiteral("the constant e"), QStringLiteral("=e"), QStringLiteral("2.71828182845905")},
        {formula, QStringLiteral("sqrt: square root"), QStringLiteral("=sqrt(-4)"), QStringLiteral("0+2i")},
        {formula, QStringLiteral("exp: e to the power"), QStringLiteral("=exp(0)"), QStringLiteral("1")},
        {formula, QStringLiteral("ln: natural logarithm"), QStringLiteral("=ln(e)"), QStringLiteral("1")},
        {formula, QStringLiteral("log10: logarithm to base 10"), QStringLiteral("=log10(1k)"), QStringLiteral("3")},
        {formula, QStringLiteral("abs: magnitude"), QStringLiteral("=abs(3+4j)"), QStringLiteral("5")},
        {formula, QStringLiteral("arg: angle in degrees"), QStringLiteral("=arg(j)"), QStringLiteral("90")},
        {formula, QStringLiteral("conj: complex conjugate"), QStringLiteral("=conj(3+4j)"), QStringLiteral("3-4i")},
        {formula, QStringLiteral("re: real part"), QStringLiteral("=re(3+4j)"), QStringLiteral("3")},
        {formula, QStringLiteral("im: imaginary part"), QStringLiteral("=im(3+4j)"), QStringLiteral("4")},
        {formula, QStringLiteral("sin (radians)"), QStringLiteral("=sin(pi/2)"), QStringLiteral("1")},
        {formula, QStringLiteral("cos (radians)"), QStringLiteral("=cos(0)"), QStringLiteral("1")},
        {formula, QStringLiteral("tan (radians)"), QStringLiteral("=tan(0)"), QStringLiteral("0")},
        {formula,
         QStringLiteral("parameter names from Tools > Parameters (here R = 10, w = 100, L = 0.2); a parameter may "
                        "use the parameters, as in w = 2*pi*f"),
         QStringLiteral("=R+j*w*L"), QStringLiteral("10+20i")},
    };
    return all;
}

NumberFormsWindow::NumberFormsWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("numberForms"));
    setWindowTitle(QStringLiteral("Number forms"));
    setUpTable();
    setUpButtons();
    resize(760, 620);
}

void NumberFormsWindow::setUpTable()
{
    auto* layout = new QVBoxLayout(this);
    // A page of text: the rows wrap to the window's width by themselves.
    QString html = QStringLiteral(
        "<p>A cell is read as a plain number first. A cell that reading refuses is read as an engineering number, "
        "and a cell that starts with = as a formula. The table shows a formula as typed; its tooltip gives the "
        "value.</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\"><tr><th>Cell</th>"
        "<th>Form</th><th>Example</th><th>Read as</th></tr>");
    QString kind;
    for (const Form& line : forms()) {
        // The kind is written once, at the first line of its kind.
        const QString shownKind = line.kind == kind ? QString() : line.kind;
        kind = line.kind;
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td><tt>%3</tt></td><td><tt>%4</tt></td></tr>")
                    .arg(shownKind.toHtmlEscaped(), line.form.toHtmlEscaped(), line.example.toHtmlEscaped(),
                         line.readAs.toHtmlEscaped());
    }
    html += QStringLiteral("</table>");
    page_ = new QTextBrowser(this);
    page_->setObjectName(QStringLiteral("forms"));
    page_->setHtml(html);
    layout->addWidget(page_);
}

void NumberFormsWindow::setUpButtons()
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout()->addWidget(buttons);
}

}  // namespace kalvor
