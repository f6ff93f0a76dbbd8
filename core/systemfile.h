#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula/parameters.h"
#include "core/systemlimits.h"

namespace kalvor {

// What can be wrong with a system file.
enum class SystemFileProblem {
    None,
    NotUtf8,            // line: the first line holding bytes that are not UTF-8
    NoLines,            // the text holds no equation
    TooManyLines,       // count: the number of lines, more than 500
    WrongFieldCount,    // line, count: that line's fields; expected: N + 1
    UnterminatedQuote,  // line, field: where the quote that is never closed opens
};

// One system read from a file: N lines of N coefficient cell texts and one
// constant cell text each, exactly as typed into the window's tables.
struct SystemFile {
    SystemFileProblem problem = SystemFileProblem::None;
    std::size_t line = 0;      // 1-based, where the problem is
    std::size_t field = 0;     // 1-based, for UnterminatedQuote
    std::size_t count = 0;     // fields or lines found, for the count problems
    std::size_t expected = 0;  // fields expected, for WrongFieldCount
    char separator = '\t';     // the separator the file was read with
    // rows[i][j]: equation i + 1, field j + 1 (fields 1..N coefficients, N + 1
    // the constant). Empty unless problem is None.
    std::vector<std::vector<std::string>> rows;
    // lines[i]: the 1-based line of the file on which equation i + 1 starts
    // (they differ when a quoted field holds a line break). Same size as rows.
    std::vector<std::size_t> lines;
    // The "name = formula" lines before the equations, in order, and the
    // 1-based line of each.
    std::vector<Parameter> parameters;
    std::vector<std::size_t> parameterLines;

    std::size_t unknowns() const { return rows.size(); }
};

// Reads a system file's bytes: UTF-8 (a leading byte-order mark is skipped),
// fields separated by the separator fileSeparator finds (tabs; else
// semicolons when the first line has one outside quotes; else commas),
// quoted as readTableText reads them; LF or CR LF line ends; blank lines at
// the end are ignored. A line whose first character is "#" is a comment,
// wherever it stands. Before the first equation, lines of spaces after a
// comment or parameter line are skipped and a line "name = formula" (blanks around the name and "=", the name a letter
// then letters, digits or "_") that holds no tab, comma, semicolon or double
// quote is a parameter; no equation line can be one, since it holds a
// separator. The separator is found in the lines after those, comments left
// out. N is the number of lines, each must hold N + 1
// fields, and 1 <= N <= 500. The first problem found (in the order of the
// enum's comments: encoding, then quotes, then the shape) is reported with
// where it is, and no rows are given then.
SystemFile readSystemFile(std::string_view bytes);

// A system file's text: the parameters as "name = formula" lines (a tab in a
// formula written as a blank), then `rows` as writeTableText writes them,
// with a first field that begins with "#" quoted too, so that readSystemFile
// gives the same parameters and rows back.
std::string writeSystemFile(const std::vector<Parameter>& parameters, const std::vector<std::vector<std::string>>& rows,
                            char separator);

// One line of English that says what is wrong and where, for example
// "line 3 has 4 fields, 3 expected". Empty for SystemFileProblem::None.
std::string describeProblem(const SystemFile& file);

}  // namespace kalvor
