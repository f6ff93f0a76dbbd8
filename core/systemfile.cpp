#include "core/systemfile.h"

#include <optional>
#include <string>
#include <vector>

#include "core/tablereader.h"
#include "core/tabletext.h"
#include "core/utf8.h"

namespace kalvor {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The 1-based line of the first byte that is not well-formed UTF-8, or 0.
// Lines are counted as readTableText counts them.
std::size_t firstLineNotUtf8(std::string_view text)
{
    std::size_t line = 1;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8WellFormedLength(text, at);
        if (length == 0)
            return line;
        if (endsLine(text, at))
            ++line;
        at += length;
    }
    return 0;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '_';
}

// The length of the line at `at`, without its line break.
std::size_t lineLength(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && !isLineBreak(text[end]))
        ++end;
    return end - at;
}

// `line` as a parameter line "name = formula", or nothing.
std::optional<Parameter> parameterLine(std::string_view line)
{
    if (line.find_first_of("\t,;\"") != std::string_view::npos)
        return std::nullopt;
    std::size_t p = 0;
    while (p < line.size() && line[p] == ' ')
        ++p;
    const std::size_t nameStart = p;
    if (p == line.size() || !isNameStart(line[p]))
        return std::nullopt;
    while (p < line.size() && isNameChar(line[p]))
        ++p;
    Parameter parameter{std::string(line.substr(nameStart, p - nameStart)), {}};
    while (p < line.size() && line[p] == ' ')
        ++p;
    if (p == line.size() || line[p] != '=')
        return std::nullopt;
    std::string_view formula = line.substr(p + 1);
    while (!formula.empty() && isBlank(formula.front()))
        formula.remove_prefix(1);
    while (!formula.empty() && isBlank(formula.back()))
        formula.remove_suffix(1);
    parameter.formula = std::string(formula);
    return parameter;
}

// Where the equations start: after the parameter lines and comments at the
// top, and the blank lines among and after them (a file that begins with a
// blank line reads as it always did). Fills the file's parameters; `line` is
// the 1-based line at the returned offset.
std::size_t readPreamble(std::string_view text, SystemFile& file, std::size_t& line)
{
    std::size_t at = 0;
    line = 1;
    while (at < text.size()) {
        const std::size_t length = lineLength(text, at);
        const std::string_view content = text.substr(at, length);
        const bool blank = content.find_first_not_of(' ') == std::string_view::npos;
        if (blank && at == 0)
            break;
        if (!content.starts_with('#') && !blank) {
            std::optional<Parameter> parameter = parameterLine(content);
            if (!parameter)
                break;
            file.parameters.push_back(std::move(*parameter));
            file.parameterLines.push_back(line);
        }
        at += length;
        if (at < text.size())
            at += endsLine(text, at) ? 1 : 2;
        ++line;
    }
    return at;
}

// The separator of the equation lines: fileSeparator of the text with its
// comment lines left out.
char tableSeparator(std::string_view text)
{
    bool comments = text.starts_with('#');
    for (std::size_t at = 0; at < text.size() && !comments; ++at)
        comments = endsLine(text, at) && at + 1 < text.size() && text[at + 1] == '#';
    if (!comments)
        return fileSeparator(text);
    std::string kept;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = lineLength(text, at);
        if (at + length < text.size())
            length += endsLine(text, at + length) ? 1 : 2;
        if (text[at] != '#')
            kept.append(text.substr(at, length));
        at += length;
    }
    return fileSeparator(kept);
}

// Where a row of the file starts and how many fields it has.
struct RowShape {
    std::size_t line = 0;
    std::size_t fields = 0;
};

}  // namespace

SystemFile readSystemFile(std::string_view bytes)
{
    SystemFile file;
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        bytes.remove_prefix(ByteOrderMark.size());
    if (const std::size_t bad = firstLineNotUtf8(bytes)) {
        file.problem = SystemFileProblem::NotUtf8;
        file.line = bad;
        return file;
    }
    // Only what a valid file can hold is kept: the first 500 rows, 501 fields
    // of each. Beyond that rows and fields are only counted, so a huge file
    // is refused without holding it many times over.
    std::size_t firstLine = 1;
    bytes.remove_prefix(readPreamble(bytes, file, firstLine));
    file.separator = tableSeparator(bytes);
    TableReader reader(bytes, file.separator, firstLine);
    std::vector<std::vector<std::string>> kept;
    std::vector<RowShape> shapes;
    std::size_t rowCount = 0;
    std::size_t lastFilledRow = 0;  // 1-based; rows after it are blank lines at the end
    std::string field;
    while (reader.hasRow()) {
        if (reader.nextByte() == '#') {
            reader.skipLine();
            continue;
        }
        ++rowCount;
        const bool keep = rowCount <= MaxUnknowns;
        RowShape shape{reader.line(), 0};
        std::vector<std::string> fields;
        bool blank = false;
        for (bool more = true; more;) {
            more = reader.readField(field);
            ++shape.fields;
            // A blank line is a row of one empty field.
            blank = shape.fields == 1 && !more && field.empty();
            if (keep && shape.fields <= MaxUnknowns + 1)
                fields.push_back(std::move(field));
        }
        if (!blank)
            lastFilledRow = rowCount;
        if (keep) {
            kept.push_back(std::move(fields));
            shapes.push_back(shape);
        }
    }
    if (reader.unterminatedQuote()) {
        file.problem = SystemFileProblem::UnterminatedQuote;
        file.line = reader.unterminatedLine();
        file.field = reader.unterminatedField();
        return file;
    }
    const std::size_t n = lastFilledRow;
    if (n == 0) {
        file.problem = SystemFileProblem::NoLines;
        return file;
    }
    if (n > MaxUnknowns) {
        file.problem = SystemFileProblem::TooManyLines;
        file.count = n;
        return file;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (shapes[i].fields != n + 1) {
            file.problem = SystemFileProblem::WrongFieldCount;
            file.line = shapes[i].line;
            file.count = shapes[i].fields;
            file.expected = n + 1;
            return file;
        }
    }
    kept.resize(n);
    file.rows = std::move(kept);
    file.lines.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        file.lines.push_back(shapes[i].line);
    return file;
}

std::string writeSystemFile(const std::vector<Parameter>& parameters, const std::vector<std::vector<std::string>>& rows,
                            char separator)
{
    std::string text;
    for (const Parameter& parameter : parameters) {
        std::string formula = parameter.formula;
        for (char& c : formula)
            if (c == '\t')
                c = ' ';
        text += parameter.name + " = " + formula + "\n";
    }
    for (const std::vector<std::string>& row : rows) {
        std::string line = writeTableText({row}, separator);
        // A first field that begins with "#" would read as a comment.
        if (!row.empty() && row.front().starts_with('#') && !line.starts_with('"')) {
            std::string quoted = "\"";
            for (const char c : row.front()) {
                quoted += c;
                if (c == '"')
                    quoted += '"';
            }
            quoted += '"';
            line.replace(0, row.front().size(), quoted);
        }
        text += line;
    }
    return text;
}

std::string describeProblem(const SystemFile& file)
{
    const auto num = [](std::size_t v) { return std::to_string(v); };
    switch (file.problem) {
    case SystemFileProblem::None:
        return {};
    case SystemFileProblem::NotUtf8:
        return "line " + num(file.line) + " is not UTF-8 text";
    case SystemFileProblem::NoLines:
        return "the file holds no equation";
    case SystemFileProblem::TooManyLines:
        return "the file has " + num(file.count) + " lines, at most " + num(MaxUnknowns) + " equations are allowed";
    case SystemFileProblem::WrongFieldCount:
        return "line " + num(file.line) + " has " + num(file.count) + (file.count == 1 ? " field, " : " fields, ")
            + num(file.expected) + " expected";
    case SystemFileProblem::UnterminatedQuote:
        return "line " + num(file.line) + ", field " + num(file.field) + ": a quote is opened and never closed";
    }
    return {};
}

}  // namespace kalvor
