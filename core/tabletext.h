#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// One row of fields read from table text, with the 1-based line of the text
// on which the row starts (a quoted field may span several lines).
struct TableRow {
    std::vector<std::string> fields;
    std::size_t line = 0;
};

// What reading table text found, besides the rows themselves.
struct TableText {
    std::vector<TableRow> rows;
    // A quoted field ran to the end of the text without its closing quote.
    // Its field is then kept as it stands, opening quote included, up to the
    // end of its line, and reading goes on from there: nothing is dropped.
    bool unterminatedQuote = false;
    std::size_t unterminatedLine = 0;   // 1-based line of that opening quote
    std::size_t unterminatedField = 0;  // 1-based field of that opening quote
};

// Splits text into rows of fields, as spreadsheets put tables on the
// clipboard and into delimited files. Rows end at LF, CR LF or CR; one line
// break at the very end of the text ends the last row and adds no row.
// Fields are separated by `separator`. A field whose first character is a
// double quote is quoted: it runs to the next quote that is not doubled, may
// hold separators and line breaks, and "" inside stands for one quote; any
// characters between its closing quote and the next separator or line break
// are kept after it. Every other field is taken exactly as it stands (no
// trimming). Empty text gives no rows. Never fails and never drops a byte of
// a field; works on bytes, so any encoding that keeps ASCII (UTF-8) passes.
TableText readTableText(std::string_view text, char separator);

// The separator of a delimited file: a tab when the text holds one; else a
// semicolon when the first row has one outside quotes (the first row as
// readTableText splits it at semicolons, so a quoted field's semicolons and
// line breaks do not count); else a comma. Spreadsheets of locales with a
// decimal comma write semicolons.
char fileSeparator(std::string_view text);

// The separator of pasted text: a tab or a semicolon as fileSeparator finds
// them, else a tab, since a comma in a pasted line belongs to a cell's text.
char pasteSeparator(std::string_view text);

// Writes rows back: fields joined by `separator`, each row ended by "\n". A
// field is quoted (and its quotes doubled) only when it holds the separator,
// a double quote, CR or LF, so readTableText gives the same rows back.
std::string writeTableText(const std::vector<std::vector<std::string>>& rows, char separator);

}  // namespace kalvor
