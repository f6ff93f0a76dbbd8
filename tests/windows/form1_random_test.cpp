// Seeded random input on the equation window: clicks on cells and headers of
// all three tables, keys and pasted texts in both editors, keyboard moves in
// the tables, Solve, Back and About, in any order. The test keeps its own
// model of every cell text (an editor writes into its table's current cell)
// and after every step checks the cells, the editors, the window mode and
// the outcome of every Solve against the core run on the model's texts.
//
// KALVOR_RANDOM_SEEDS (default 10) seeds of KALVOR_RANDOM_EVENTS (default
// 5000) events each, starting at KALVOR_RANDOM_FIRST_SEED (default 1); the
// seed picks N from 1, 2, 7 and 40. A failure names its seed and event and
// lists the events just before it.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QTest>

#include "core/core.h"
#include "form1_fixture.h"
#include "windows/form1messages.h"

using namespace kalvor;

namespace {

int envNumber(const char* name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

// Texts a person might type or paste into a cell, from the plain to the
// hostile: numbers in every form the parser knows, i/j forms, blanks,
// signs in odd places, huge and tiny exponents, non-ASCII look-alikes,
// control characters and very long texts.
class TextSource {
public:
    explicit TextSource(std::mt19937_64& rng) : rng_(rng) {}

    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }

    QString number()
    {
        static const char* const forms[] = {"0",
                                            "1",
                                            "-1",
                                            "2",
                                            "3.5",
                                            "-2.5",
                                            "0.1",
                                            "1e-3",
                                            "1E5",
                                            "4.",
                                            ".5",
                                            "12345",
                                            "1e200",
                                            "1e308",
                                            "1e400",
                                            "1e-400",
                                            "-1.7976931348623157e308",
                                            "4.9e-324",
                                            "0.000012",
                                            "9.99996",
                                            "2.00005"};
        return QString::fromLatin1(forms[below(std::size(forms))]);
    }

    QString complex()
    {
        static const char* const forms[] = {
            "i",       "+i",    "-i",     "j",     "-j",  "3+4i",  "3-4i",   "-3+4j",        "4i",        "-25i",
            "2.5j",    "0i",    "4i+3",   "i3",    "i+3", "+i3",   "-i+3",   "3+i",          "-3-i",      "3-4-5i",
            "1e-3+4i", "3+i4",  "3 + 4i", "4 i",   "ii",  "3+4i ", "3+4i+2", "1e308+1e308i", "0+1e-400i", "-1.5-0.5j",
            "3+4I",    "10<90", "2@-45",  "5<0.5r"};
        return QString::fromLatin1(forms[below(std::size(forms))]);
    }

    // A short text that can be typed key by key: printable characters only.
    QString typeable()
    {
        switch (below(6)) {
        case 0:
            return number();
        case 1:
            return complex();
        case 2:
            return pick(QStringLiteral("0123456789+-.eEij "), 1 + below(6));
        case 3:
            return pick(QStringLiteral("abcxyzIJDd&H,;()*/%$"), 1 + below(4));
        case 4:  // U+2212 minus, no-break space, full-width digits and i, an accent
            return pick(QStringLiteral("\u2212\u00a0\uff13\uff49\u00e9\u0669"), 1 + below(3));
        default:
            return QString::fromUtf8("\xF0\x9F\x98\x80");  // a character outside the BMP
        }
    }

    // Anything that may be pasted, control characters and huge texts too.
    QString pasteable()
    {
        switch (below(9)) {
        case 0:
            return {};
        case 1:
            return QString(10000, QLatin1Char('7'));
        case 2:
            return QString(5000, QLatin1Char('1')) + QStringLiteral("+") + QString(4998, QLatin1Char('2'))
                + QStringLiteral("i");
        case 3: {
            QString junk;
            for (int k = 0, n = 1 + below(40); k < n; ++k)
                junk += QChar(static_cast<char16_t>(1 + below(0x7e)));
            return junk;
        }
        case 4:
            return QStringLiteral("  ") + number() + QStringLiteral("\t");
        case 5:
            return QString(150, QLatin1Char('9')) + QStringLiteral("i") + QString(150, QLatin1Char('8'));
        default:
            return typeable();
        }
    }

private:
    QString pick(const QString& from, int count)
    {
        QString out;
        for (int k = 0; k < count; ++k)
            out += from.at(below(static_cast<int>(from.size())));
        return out;
    }

    std::mt19937_64& rng_;
};

bool hasControlCharacter(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

// Sends one key event per character, with the character as the event's
// text, as a keyboard would (QTest::keyClicks only handles Latin-1).
void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString one(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            one += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, one, Qt::NoModifier);
    }
}

}  // namespace

class Form1RandomTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Harness> h;
    std::mt19937_64 rng;
    int N = 0;
    // The model: what the user put into every data cell, and where each
    // table's current cell is.
    std::vector<QString> coef;  // row-major, (r, c) at (r - 1) * N + (c - 1)
    std::vector<QString> constants;
    int row1 = 1, col1 = 1, row2 = 1;
    bool showing = false;
    std::size_t messagesSeen = 0;
    int aboutSeen = 0;
    int solved = 0;
    std::deque<QString> recent;
    QString failure;
    // Pastes of blocks not yet undone: each cell written, with its earlier text.
    struct Written {
        bool constants;
        int row, col;
        QString before;
    };
    std::vector<std::vector<Written>> pastes;

    Form1* form() { return h->form.get(); }
    QString& coefCell(int r, int c) { return coef[static_cast<std::size_t>((r - 1) * N + (c - 1))]; }
    int below(int n) { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }

    void note(const QString& event)
    {
        recent.push_back(event.size() > 120 ? event.left(120) + QStringLiteral("...") : event);
        if (recent.size() > 12)
            recent.pop_front();
    }

    bool fail(const QString& why)
    {
        if (failure.isEmpty())
            failure = why;
        return false;
    }

    // --- events -----------------------------------------------------------

    void clickDataCell(Grid* grid, int r, int c)
    {
        note(QStringLiteral("click %1 (%2, %3)").arg(grid->objectName()).arg(r).arg(c));
        Form1Harness::clickCell(grid, r, c);
    }

    void clickCoefficient(int r, int c)
    {
        clickDataCell(form()->findChild<Grid*>("Grid1"), r, c);
        row1 = r;
        col1 = c;
    }

    void clickConstant(int r)
    {
        clickDataCell(form()->findChild<Grid*>("Grid2"), r, 1);
        row2 = r;
    }

    void clickSolutionCell()
    {
        const int rows = form()->findChild<Grid*>("Grid3")->Rows();
        clickDataCell(form()->findChild<Grid*>("Grid3"), 1 + below(rows - 1), 1);
    }

    // A click on a fixed header cell must change nothing.
    void clickHeader()
    {
        Grid* grids[]
            = {form()->findChild<Grid*>("Grid1"), form()->findChild<Grid*>("Grid2"), form()->findChild<Grid*>("Grid3")};
        Grid* grid = grids[showing ? 2 : below(2)];
        const bool top = below(2) == 0;
        QHeaderView* header = top ? grid->horizontalHeader() : grid->verticalHeader();
        const int sections = header->count();
        if (sections == 0)
            return;
        const int section = below(sections);
        grid->scrollTo(top ? grid->model()->index(0, section) : grid->model()->index(section, 0));
        const int at = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        const QPoint pos = top ? QPoint(at, header->height() / 2) : QPoint(header->width() / 2, at);
        note(
            QStringLiteral("click %1 header %2 section %3").arg(grid->objectName(), top ? "top" : "side").arg(section));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, pos);
    }

    QLineEdit* someEditor()
    {
        return below(3) == 0 ? form()->findChild<QLineEdit*>("Text4") : form()->findChild<QLineEdit*>("Text1");
    }

    // The editor's text is now the current cell's text.
    void editorWroteCell(QLineEdit* editor)
    {
        if (editor == form()->findChild<QLineEdit*>("Text1"))
            coefCell(row1, col1) = editor->text();
        else
            constants[static_cast<std::size_t>(row2 - 1)] = editor->text();
    }

    bool typeIntoEditor(TextSource& texts)
    {
        QLineEdit* editor = someEditor();
        const QString typed = texts.typeable();
        note(QStringLiteral("type into %1: \"%2\"").arg(editor->objectName(), typed));
        QTest::keyClick(editor, Qt::Key_End);
        const QString before = editor->text();
        typeText(editor, typed);
        if (editor->text() != before + typed)
            return fail(QStringLiteral("%1 holds \"%2\" after typing \"%3\" at the end of \"%4\"")
                            .arg(editor->objectName(), editor->text().left(200), typed, before.left(200)));
        editorWroteCell(editor);
        return true;
    }

    QString& modelCell(bool constants, int r, int c) { return constants ? constants_(r) : coefCell(r, c); }

    // A phasor pasted in a block, or left in an editor by Enter, becomes its
    // rectangular text.
    static QString asTaken(const std::string& text)
    {
        return QString::fromStdString(polarToRectangular(text).value_or(text));
    }
    QString& constants_(int r) { return constants[static_cast<std::size_t>(r - 1)]; }

    // Text with a tab or a line break is a block: the window pastes it into
    // the editor's table at its current cell, as one undoable step.
    bool pasteBlockIntoModel(QLineEdit* editor, const QString& pasted)
    {
        const bool intoConstants = editor == form()->findChild<QLineEdit*>("Text4");
        const std::string bytes = pasted.toStdString();
        const TableText block = readTableText(bytes, pasteSeparator(bytes));
        const int row = intoConstants ? row2 : row1;
        const int col = intoConstants ? 1 : col1;
        const int cols = intoConstants ? 1 : N;
        int widest = 0;
        bool augmented = !intoConstants && col == 1 && !block.rows.empty();
        for (const TableRow& r : block.rows) {
            widest = std::max(widest, static_cast<int>(r.fields.size()));
            augmented = augmented && static_cast<int>(r.fields.size()) == N + 1;
        }
        const int fit = augmented ? N : cols - col + 1;
        std::vector<Written> step;
        for (std::size_t k = 0; k < block.rows.size() && row + static_cast<int>(k) <= N; ++k) {
            const int r = row + static_cast<int>(k);
            const auto& fields = block.rows[k].fields;
            for (int f = 0; f < std::min(static_cast<int>(fields.size()), fit); ++f) {
                step.push_back({intoConstants, r, col + f, modelCell(intoConstants, r, col + f)});
                modelCell(intoConstants, r, col + f) = asTaken(fields[static_cast<std::size_t>(f)]);
            }
            if (augmented) {
                step.push_back({true, r, 1, constants_(r)});
                constants_(r) = asTaken(fields.back());
            }
        }
        if (!step.empty())
            pastes.push_back(std::move(step));
        const bool leftOut = row + static_cast<int>(block.rows.size()) - 1 > N || (!augmented && widest > fit);
        const auto& messages = h->messages.messages;
        if (messages.size() != messagesSeen + (leftOut ? 1 : 0))
            return fail(QStringLiteral("a paste of %1 rows at (%2, %3) brought %4 messages")
                            .arg(block.rows.size())
                            .arg(row)
                            .arg(col)
                            .arg(messages.size() - messagesSeen));
        if (leftOut
            && (messages.back().title != QStringLiteral("KALVOR1")
                || !messages.back().message.startsWith(QStringLiteral("The pasted block has "))))
            return fail(QStringLiteral("a paste that did not fit brought \"%1\"").arg(messages.back().message));
        messagesSeen = messages.size();
        return true;
    }

    void undoPasteInModel()
    {
        for (auto it = pastes.back().rbegin(); it != pastes.back().rend(); ++it)
            modelCell(it->constants, it->row, it->col) = it->before;
        pastes.pop_back();
    }

    // Enter moves along the equations (a row's coefficients, its constant,
    // the next row's first coefficient), Shift+Enter back; the first
    // coefficient and the last constant are the ends.
    void enterInModel(QLineEdit* editor, bool backwards)
    {
        if (editor == form()->findChild<QLineEdit*>("Text1")) {
            if (!backwards && col1 < N)
                ++col1;
            else if (!backwards)
                row2 = row1;
            else if (col1 > 1)
                --col1;
            else if (row1 > 1)
                row2 = row1 - 1;
        } else if (!backwards && row2 < N) {
            row1 = row2 + 1;
            col1 = 1;
        } else if (backwards) {
            row1 = row2;
            col1 = N;
        }
    }

    bool pasteIntoEditor(TextSource& texts)
    {
        QLineEdit* editor = someEditor();
        const QString pasted = texts.pasteable();
        note(QStringLiteral("paste into %1: %2 characters \"%3\"")
                 .arg(editor->objectName())
                 .arg(pasted.size())
                 .arg(pasted.left(60)));
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        if (pasted.contains(QLatin1Char('\t')) || pasted.contains(QLatin1Char('\n'))
            || pasted.contains(QLatin1Char('\r')))
            return pasteBlockIntoModel(editor, pasted);
        // Control characters are the line editor's own business; anything
        // else must arrive whole.
        if (!hasControlCharacter(pasted) && editor->text() != pasted)
            return fail(QStringLiteral("%1 holds %2 characters after pasting %3")
                            .arg(editor->objectName())
                            .arg(editor->text().size())
                            .arg(pasted.size()));
        editorWroteCell(editor);
        return true;
    }

    // Editing keys whose exact effect is the line editor's business; the
    // cell must follow the editor whatever it does.
    void editKeysIntoEditor()
    {
        static const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[]
            = {{Qt::Key_Backspace, Qt::NoModifier},     {Qt::Key_Delete, Qt::NoModifier},
               {Qt::Key_Home, Qt::NoModifier},          {Qt::Key_Left, Qt::NoModifier},
               {Qt::Key_Right, Qt::ShiftModifier},      {Qt::Key_Z, Qt::ControlModifier},
               {Qt::Key_Y, Qt::ControlModifier},        {Qt::Key_X, Qt::ControlModifier},
               {Qt::Key_Return, Qt::NoModifier},        {Qt::Key_Escape, Qt::NoModifier},
               {Qt::Key_Backspace, Qt::ControlModifier}};
        QLineEdit* editor = someEditor();
        const auto& [key, mods] = keys[below(std::size(keys))];
        note(QStringLiteral("key %1 into %2")
                 .arg(QKeySequence(QKeyCombination(mods, key)).toString(), editor->objectName()));
        const bool undoesPaste
            = key == Qt::Key_Z && mods == Qt::ControlModifier && !editor->isUndoAvailable() && !pastes.empty();
        if (key == Qt::Key_Return) {
            QString& cell = editor == form()->findChild<QLineEdit*>("Text1") ? coefCell(row1, col1) : constants_(row2);
            cell = asTaken(cell.toStdString());
        }
        QTest::keyClick(editor, key, mods);
        if (undoesPaste)
            undoPasteInModel();
        if (key == Qt::Key_Return)
            enterInModel(editor, mods.testFlag(Qt::ShiftModifier));
        editorWroteCell(editor);
    }

    // The table's own keyboard moves: the current cell moves by one, the
    // editor follows it, and nothing is written.
    bool navigateTable()
    {
        const bool coefficients = below(3) != 0;
        Grid* grid = coefficients ? form()->findChild<Grid*>("Grid1") : form()->findChild<Grid*>("Grid2");
        static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
        const Qt::Key key = keys[below(4)];
        note(QStringLiteral("focus %1, key %2").arg(grid->objectName(), QKeySequence(key).toString()));
        grid->setFocus(Qt::TabFocusReason);
        QTest::keyClick(grid, key);
        int& row = coefficients ? row1 : row2;
        int col = coefficients ? col1 : 1;
        const int cols = coefficients ? N : 1;
        if (key == Qt::Key_Up && row > 1)
            --row;
        else if (key == Qt::Key_Down && row < N)
            ++row;
        else if (key == Qt::Key_Left && col > 1)
            --col;
        else if (key == Qt::Key_Right && col < cols)
            ++col;
        if (coefficients)
            col1 = col;
        if (grid->Row() != row || grid->Col() != col)
            return fail(QStringLiteral("%1's current cell is (%2, %3), expected (%4, %5)")
                            .arg(grid->objectName())
                            .arg(grid->Row())
                            .arg(grid->Col())
                            .arg(row)
                            .arg(col));
        return true;
    }

    // A character key on a table sends the focus to its editor, where the
    // key replaces the current cell's text.
    bool characterOnTable()
    {
        const bool coefficients = below(2) == 0;
        Grid* grid = coefficients ? form()->findChild<Grid*>("Grid1") : form()->findChild<Grid*>("Grid2");
        QLineEdit* editor
            = coefficients ? form()->findChild<QLineEdit*>("Text1") : form()->findChild<QLineEdit*>("Text4");
        note(QStringLiteral("focus %1, key 'q'").arg(grid->objectName()));
        grid->setFocus(Qt::TabFocusReason);
        const QString typed = QStringLiteral("q");
        QTest::keyClick(grid, Qt::Key_Q);
        if (QApplication::focusWidget() != editor)
            return fail(QStringLiteral("a character key on %1 did not move the focus to %2")
                            .arg(grid->objectName(), editor->objectName()));
        if (editor->text() != typed)
            return fail(QStringLiteral("%1 holds \"%2\" after 'q' on %3, expected \"%4\"")
                            .arg(editor->objectName(), editor->text().left(200), grid->objectName(), typed.left(200)));
        editorWroteCell(editor);
        return true;
    }

    // Solve, checked against the core run on the model's own texts.
    bool solve()
    {
        note(QStringLiteral("Solve"));
        PartMatrix coefRe(static_cast<std::size_t>(N),
                          PartVector(static_cast<std::size_t>(N), PartValue::fromInteger(0)));
        PartMatrix coefIm = coefRe;
        PartVector constRe(static_cast<std::size_t>(N), PartValue::fromInteger(0)), constIm = constRe;
        for (int r = 1; r <= N; ++r) {
            for (int c = 1; c <= N; ++c) {
                CellParts p = partcell(coefCell(r, c).toStdString());
                coefRe[r - 1][c - 1] = p.re;
                coefIm[r - 1][c - 1] = p.im;
            }
            CellParts p = partcell(constants[static_cast<std::size_t>(r - 1)].toStdString());
            constRe[r - 1] = p.re;
            constIm[r - 1] = p.im;
        }
        // Cells the plain reading refuses get their second chance, as at
        // Solve (no parameters here).
        std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(N));
        for (int r = 1; r <= N; ++r) {
            for (int c = 1; c <= N; ++c)
                rows[r - 1].push_back(coefCell(r, c).toStdString());
            rows[r - 1].push_back(constants[static_cast<std::size_t>(r - 1)].toStdString());
        }
        applyFallbacks(rows, evaluateParameters({}), coefRe, coefIm, constRe, constIm);
        const SolveResult expected = kalvor::solve(coefRe, coefIm, constRe, constIm);
        std::vector<QString> texts;
        bool dataErr = expected.outcome == SolveOutcome::DataError;
        if (expected.outcome == SolveOutcome::Solved) {
            try {
                for (std::size_t k = 0; k < expected.re.size(); ++k)
                    texts.push_back(QString::fromStdString(resultText(expected.re[k], expected.im[k])));
            } catch (const std::exception&) {
                dataErr = true;
            }
        }

        form()->findChild<QAction*>("solve")->trigger();

        const auto& messages = h->messages.messages;
        const std::size_t fresh = messages.size() - messagesSeen;
        messagesSeen = messages.size();
        if (expected.outcome == SolveOutcome::Solved && !dataErr) {
            if (fresh != 0)
                return fail(
                    QStringLiteral("a solvable system brought the message \"%1\"").arg(messages.back().message));
            showing = true;
            ++solved;
            Grid* g3 = form()->findChild<Grid*>("Grid3");
            if (g3->Rows() != N + 1)
                return fail(QStringLiteral("the solution table has %1 rows for N = %2").arg(g3->Rows()).arg(N));
            for (int k = 1; k <= N; ++k) {
                if (g3->TextMatrix(k, 0) != QStringLiteral("X%1").arg(k)
                    || g3->TextMatrix(k, 1) != texts[static_cast<std::size_t>(k - 1)])
                    return fail(
                        QStringLiteral("solution row %1 shows \"%2\" \"%3\", expected \"%4\"")
                            .arg(k)
                            .arg(g3->TextMatrix(k, 0), g3->TextMatrix(k, 1), texts[static_cast<std::size_t>(k - 1)]));
            }
            return true;
        }
        const bool noUnique = expected.outcome == SolveOutcome::NoUniqueSolution;
        const QString wantMessage = noUnique ? noSolutionMessage : dataErrorMessage;
        const QString wantTitle = noUnique ? QStringLiteral("KALVOR1") : QStringLiteral("Check your data");
        if (fresh != 1 || messages.back().message != wantMessage || messages.back().title != wantTitle
            || messages.back().style != MessageBox::Style::Stop)
            return fail(QStringLiteral("Solve brought %1 message(s), the last \"%2\"; expected one \"%3\"")
                            .arg(fresh)
                            .arg(fresh ? messages.back().message : QString(), wantMessage));
        showing = false;
        // After a data error the first cell that does not read is made current.
        if (!noUnique) {
            if (const auto cell = firstUnreadableCell(coefRe, coefIm, constRe, constIm)) {
                if (cell->table == CellPosition::Table::Coefficients) {
                    row1 = static_cast<int>(cell->row);
                    col1 = static_cast<int>(cell->column);
                } else {
                    row2 = static_cast<int>(cell->row);
                }
            }
        }
        return true;
    }

    // The user fills every cell with a number, the diagonal large enough
    // that the system is usually solvable, so that solutions of every size
    // are shown too.
    void fillSystem()
    {
        note(QStringLiteral("fill every cell with numbers"));
        static const char* const small[] = {"1", "-0.5", "2i", "", "0.25-1j", "3", "-i", "1e-3"};
        for (int r = 1; r <= N; ++r) {
            for (int c = 1; c <= N; ++c) {
                clickCoefficient(r, c);
                const QString text = r == c ? QStringLiteral("%1+%2i").arg(4 * N + below(9)).arg(below(5))
                                            : QString::fromLatin1(small[below(std::size(small))]);
                replaceEditorText(form()->findChild<QLineEdit*>("Text1"), text);
            }
            clickConstant(r);
            replaceEditorText(form()->findChild<QLineEdit*>("Text4"),
                              QString::fromLatin1(small[below(std::size(small))]));
        }
    }

    void replaceEditorText(QLineEdit* editor, const QString& text)
    {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Delete);
        else
            typeText(editor, text);
        editorWroteCell(editor);
    }

    void back()
    {
        note(QStringLiteral("Back"));
        form()->findChild<QAction*>("back")->trigger();
        showing = false;
    }

    bool about()
    {
        note(QStringLiteral("About"));
        form()->findChild<QAction*>("about")->trigger();
        if (h->aboutShown != ++aboutSeen)
            return fail(QStringLiteral("About ran the about command %1 times in all, expected %2")
                            .arg(h->aboutShown)
                            .arg(aboutSeen));
        return true;
    }

    // --- checks -----------------------------------------------------------

    bool checkState()
    {
        Grid* g1 = form()->findChild<Grid*>("Grid1");
        Grid* g2 = form()->findChild<Grid*>("Grid2");
        for (int r = 1; r <= N; ++r) {
            for (int c = 1; c <= N; ++c)
                if (g1->TextMatrix(r, c) != coefCell(r, c))
                    return fail(QStringLiteral("coefficient (%1, %2) holds \"%3\", the user put \"%4\" there")
                                    .arg(r)
                                    .arg(c)
                                    .arg(g1->TextMatrix(r, c).left(200), coefCell(r, c).left(200)));
            if (g2->TextMatrix(r, 1) != constants[static_cast<std::size_t>(r - 1)])
                return fail(
                    QStringLiteral("constant %1 holds \"%2\", the user put \"%3\" there")
                        .arg(r)
                        .arg(g2->TextMatrix(r, 1).left(200), constants[static_cast<std::size_t>(r - 1)].left(200)));
            if (g1->TextMatrix(0, r) != QStringLiteral("X%1").arg(r)
                || g1->TextMatrix(r, 0) != QStringLiteral("EQ. NO.%1").arg(r)
                || g2->TextMatrix(r, 0) != QStringLiteral("EQ. NO.%1").arg(r))
                return fail(QStringLiteral("a header of row or column %1 changed").arg(r));
        }
        // Each editor shows its table's current cell, so the next key
        // changes that cell and no other.
        if (g1->Row() != row1 || g1->Col() != col1 || g2->Row() != row2 || g2->Col() != 1)
            return fail(QStringLiteral("current cells are (%1, %2) and (%3, %4), expected (%5, %6) and (%7, 1)")
                            .arg(g1->Row())
                            .arg(g1->Col())
                            .arg(g2->Row())
                            .arg(g2->Col())
                            .arg(row1)
                            .arg(col1)
                            .arg(row2));
        if (form()->findChild<QLineEdit*>("Text1")->text() != coefCell(row1, col1))
            return fail(
                QStringLiteral("Text1 shows \"%1\" but its current cell holds \"%2\"")
                    .arg(form()->findChild<QLineEdit*>("Text1")->text().left(200), coefCell(row1, col1).left(200)));
        if (form()->findChild<QLineEdit*>("Text4")->text() != constants[static_cast<std::size_t>(row2 - 1)])
            return fail(QStringLiteral("Text4 shows \"%1\" but its current cell holds \"%2\"")
                            .arg(form()->findChild<QLineEdit*>("Text4")->text().left(200),
                                 constants[static_cast<std::size_t>(row2 - 1)].left(200)));

        const bool panel = !form()->findChild<QFrame*>("Frame1")->isHidden();
        const bool solveOn = form()->findChild<QAction*>("solve")->isEnabled();
        const bool backOn = form()->findChild<QAction*>("back")->isEnabled();
        const bool editing = !panel && solveOn && !backOn;
        const bool showingSolution = panel && !solveOn && backOn;
        if (editing == showingSolution || showingSolution != showing)
            return fail(QStringLiteral("window mode: panel %1, Solve %2, Back %3; expected %4")
                            .arg(panel)
                            .arg(solveOn)
                            .arg(backOn)
                            .arg(showing ? "showing the solution" : "editing"));
        if (h->messages.messages.size() != messagesSeen)
            return fail(
                QStringLiteral("a message appeared outside Solve: \"%1\"").arg(h->messages.messages.back().message));
        if (!h->watchdog.unexpected().isEmpty())
            return fail(QStringLiteral("an unexpected modal window: %1").arg(h->watchdog.unexpected().join(", ")));
        return true;
    }

    bool step(TextSource& texts)
    {
        const int pick = below(100);
        if (showing) {
            if (pick < 40)
                clickSolutionCell();
            else if (pick < 60)
                clickHeader();
            else if (pick < 80)
                back();
            else if (pick < 90)
                return about();
            else {
                note(QStringLiteral("Timer1 tick"));
                form()->Timer1_Timer();
            }
            return true;
        }
        if (pick < 18)
            clickCoefficient(1 + below(N), 1 + below(N));
        else if (pick < 28)
            clickConstant(1 + below(N));
        else if (pick < 33)
            clickHeader();
        else if (pick < 53)
            return typeIntoEditor(texts);
        else if (pick < 61)
            return pasteIntoEditor(texts);
        else if (pick < 71)
            editKeysIntoEditor();
        else if (pick < 80)
            return navigateTable();
        else if (pick < 84)
            return characterOnTable();
        else if (pick < 94)
            return solve();
        else if (pick < 97)
            return about();
        else if (pick < 99 && below(N <= 7 ? 1 : 5) == 0) {
            fillSystem();
            return checkState() && solve();
        } else {
            note(QStringLiteral("Timer1 tick"));
            form()->Timer1_Timer();
        }
        return true;
    }

private slots:
    void randomInput_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("n");
        const int seeds = envNumber("KALVOR_RANDOM_SEEDS", 10);
        const int first = envNumber("KALVOR_RANDOM_FIRST_SEED", 1);
        static const int sizes[] = {1, 2, 7, 40};
        for (int s = first; s < first + seeds; ++s) {
            const int n = sizes[(s - 1) % 4];
            QTest::addRow("seed %d, N = %d", s, n) << quint64(s) << n;
        }
    }

    void randomInput()
    {
        QFETCH(quint64, seed);
        QFETCH(int, n);
        const int events = envNumber("KALVOR_RANDOM_EVENTS", 5000);
        N = n;
        rng.seed(seed);
        TextSource texts(rng);
        h = std::make_unique<Form1Harness>();
        QVERIFY(h->open(N));
        coef.assign(static_cast<std::size_t>(N * N), QString());
        constants.assign(static_cast<std::size_t>(N), QString());
        row1 = col1 = row2 = 1;
        showing = false;
        messagesSeen = 0;
        aboutSeen = 0;
        solved = 0;
        recent.clear();
        failure.clear();
        pastes.clear();

        bool ok = checkState();
        int done = 0;
        for (; ok && done < events; ++done)
            ok = step(texts) && checkState();
        if (!ok) {
            QString history;
            for (const QString& e : recent)
                history += QStringLiteral("\n    ") + e;
            QFAIL(qPrintable(QStringLiteral("seed %1, N = %2, event %3: %4\n  last events:%5")
                                 .arg(seed)
                                 .arg(N)
                                 .arg(done)
                                 .arg(failure, history)));
        }
        qInfo("seed %llu, N = %d: %d events, %d solutions shown, %zu messages", static_cast<unsigned long long>(seed),
              N, done, solved, messagesSeen);
        h.reset();
    }
};

QTEST_MAIN(Form1RandomTest)
#include "form1_random_test.moc"
