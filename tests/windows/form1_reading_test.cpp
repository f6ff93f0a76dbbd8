// Solve reads the cells straight from the tables and gives the scratch box
// Text9 only the last text. These tests hold that to passing every cell
// through the box, with texts a line edit might be expected to change.
#include <memory>
#include <string>

#include "core/partcell.h"
#include "form1_fixture.h"

using namespace kalvor;

namespace {

// Texts that a line edit could plausibly alter: line breaks, a NUL, a lone
// surrogate, direction marks, blanks at both ends, one far past 32767.
QStringList awkwardTexts()
{
    return {QStringLiteral("3+4i\n5"),
            QStringLiteral("\r\n"),
            QStringLiteral("1\t+\t2i"),
            QString(QChar(0)) + QStringLiteral("7"),
            QString(QChar(0xD800)) + QStringLiteral("2j"),
            QStringLiteral("\u200F-3-4j\u202E"),
            QStringLiteral("  -2.5e1  "),
            QString(40000, QLatin1Char('9')) + QStringLiteral("i"),
            QString(),
            QStringLiteral("\u2212") + QStringLiteral("1+i")};
}

class Form1ReadingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Harness> h;
    Form1* form() { return h->form.get(); }

    // What one cell gives when passed through Text9 itself and then split.
    CellParts throughTheBox(const QString& text)
    {
        form()->findChild<QLineEdit*>("Text9")->setText(text);
        return partcell(form()->findChild<QLineEdit*>("Text9")->text().toStdString());
    }

private slots:
    void init() { h = std::make_unique<Form1Harness>(); }
    void cleanup() { h.reset(); }

    void storageAndBoxAsIfEveryCellPassedThroughTheBox()
    {
        const QStringList texts = awkwardTexts();
        const int n = 4;
        QVERIFY(h->open(n));
        int next = 0;
        const auto take = [&] { return texts[next++ % texts.size()]; };
        for (int c = 1; c <= n; ++c)
            for (int r = 1; r <= n; ++r)
                form()->findChild<Grid*>("Grid1")->setTextMatrix(r, c, take());
        for (int r = 1; r <= n; ++r)
            form()->findChild<Grid*>("Grid2")->setTextMatrix(r, 1, take());

        form()->parted();
        QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), form()->findChild<Grid*>("Grid1")->TextMatrix(n, n));
        const PartMatrix re = form()->state().CoefRe, im = form()->state().CoefIm;
        for (int r = 1; r <= n; ++r) {
            for (int c = 1; c <= n; ++c) {
                const CellParts expected = throughTheBox(form()->findChild<Grid*>("Grid1")->TextMatrix(r, c));
                const auto i = static_cast<std::size_t>(r - 1), j = static_cast<std::size_t>(c - 1);
                QVERIFY2(re[i][j] == expected.re && im[i][j] == expected.im,
                         qPrintable(QStringLiteral("cell (%1, %2)").arg(r).arg(c)));
            }
        }

        form()->findChild<QLineEdit*>("Text9")->setText(QStringLiteral("stale"));
        form()->partedb();
        QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), form()->findChild<Grid*>("Grid2")->TextMatrix(n, 1));
        const PartVector cre = form()->state().ConstRe, cim = form()->state().ConstIm;
        for (int r = 1; r <= n; ++r) {
            const CellParts expected = throughTheBox(form()->findChild<Grid*>("Grid2")->TextMatrix(r, 1));
            const auto i = static_cast<std::size_t>(r - 1);
            QVERIFY2(cre[i] == expected.re && cim[i] == expected.im, qPrintable(QStringLiteral("row %1").arg(r)));
        }
    }

    // The box really gives every one of these texts back unchanged, which
    // is what makes skipping it safe.
    void boxGivesEveryTextBackUnchanged()
    {
        QVERIFY(h->open(1));
        for (const QString& text : awkwardTexts()) {
            form()->findChild<QLineEdit*>("Text9")->setText(text);
            QCOMPARE(form()->findChild<QLineEdit*>("Text9")->text(), text);
        }
    }
};

}  // namespace

QTEST_MAIN(Form1ReadingTest)
#include "form1_reading_test.moc"
