#include "core/tabletext.h"

#include <utility>

#include "core/tablereader.h"

namespace kalvor {

namespace {

bool needsQuotes(const std::string& field, char separator)
{
    for (const char c : field)
        if (c == separator || c == '"' || isLineBreak(c))
            return true;
    return false;
}

// Whether the first field of the text, read as TableReader reads it with
// semicolons as separators, ends at a semicolon. Reads nothing into memory,
// so a huge text with an unclosed quote costs one pass and no copy.
bool firstRowHasSemicolon(std::string_view text)
{
    std::size_t at = 0;
    if (!text.empty() && text[0] == '"') {
        for (std::size_t pos = 1; pos < text.size(); ++pos) {
            if (text[pos] != '"')
                continue;
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                ++pos;
                continue;
            }
            at = pos + 1;
            break;
        }
        // Without a closing quote the field is plain text from its quote on.
    }
    while (at < text.size() && text[at] != ';' && !isLineBreak(text[at]))
        ++at;
    return at < text.size() && text[at] == ';';
}

char detectSeparator(std::string_view text, char otherwise)
{
    if (text.find('\t') != std::string_view::npos)
        return '\t';
    return firstRowHasSemicolon(text) ? ';' : otherwise;
}

}  // namespace

TableText readTableText(std::string_view text, char separator)
{
    TableReader reader(text, separator);
    TableText result;
    while (reader.hasRow()) {
        TableRow row;
        row.line = reader.line();
        for (bool more = true; more;) {
            std::string field;
            more = reader.readField(field);
            row.fields.push_back(std::move(field));
        }
        result.rows.push_back(std::move(row));
    }
    result.unterminatedQuote = reader.unterminatedQuote();
    result.unterminatedLine = reader.unterminatedLine();
    result.unterminatedField = reader.unterminatedField();
    return result;
}

char fileSeparator(std::string_view text)
{
    return detectSeparator(text, ',');
}

char pasteSeparator(std::string_view text)
{
    return detectSeparator(text, '\t');
}

std::string writeTableText(const std::vector<std::vector<std::string>>& rows, char separator)
{
    std::string out;
    for (const auto& row : rows) {
        for (std::size_t f = 0; f < row.size(); ++f) {
            if (f > 0)
                out += separator;
            const std::string& field = row[f];
            if (!needsQuotes(field, separator)) {
                out += field;
                continue;
            }
            out += '"';
            for (const char c : field) {
                if (c == '"')
                    out += '"';
                out += c;
            }
            out += '"';
        }
        out += '\n';
    }
    return out;
}

}  // namespace kalvor
