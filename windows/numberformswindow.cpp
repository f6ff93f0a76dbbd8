#include "windows/numberformswindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
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
    auto* intro = new QLabel(QStringLiteral("A cell is read as a plain number first. A cell that reading refuses is "
                                            "read as an engineering number, and a cell that starts with = as a "
                                            "formula. The table shows a formula as typed; its tooltip gives the value."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    table_ = new QTableWidget(static_cast<int>(forms().size()), 4, this);
    table_->setObjectName(QStringLiteral("forms"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Cell"), QStringLiteral("Form"), QStringLiteral("Example"), QStringLiteral("Read as")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(true);
    int row = 0;
    for (const Form& line : forms()) {
        const QStringList texts{line.kind, line.form, line.example, line.readAs};
        for (int column = 0; column < texts.size(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(texts[column]));
        ++row;
    }
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    table_->resizeRowsToContents();
    layout->addWidget(table_);
}

void NumberFormsWindow::setUpButtons()
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout()->addWidget(buttons);
}

}  // namespace kalvor
