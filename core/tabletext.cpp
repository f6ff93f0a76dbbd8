#include "core/tabletext.h"

#include <utility>

#include "core/tablereader.h"

namespace kalvor {

namespace {

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

bool needsQuotes(const std::string& field, char separator)
{
    for (const char c : field)
        if (c == separator || c == '"' || isLineBreak(c))
            return true;
    return false;
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
    return text.find('\t') != std::string_view::npos ? '\t' : ',';
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
