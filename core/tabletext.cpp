#include "core/tabletext.h"

#include <optional>
#include <utility>

namespace kalvor {

namespace {

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

// Reads table text one field at a time; `at` is the next byte to read and
// `line` the 1-based line it stands on.
class TableReader {
public:
    TableReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    TableText read()
    {
        while (at_ < text_.size()) {
            TableRow row;
            row.line = line_;
            for (;;) {
                row.fields.push_back(readField(row.fields.size() + 1));
                if (at_ < text_.size() && text_[at_] == separator_) {
                    ++at_;
                    continue;
                }
                skipLineBreak();
                break;
            }
            result_.rows.push_back(std::move(row));
        }
        return std::move(result_);
    }

private:
    std::string readField(std::size_t field)
    {
        if (at_ < text_.size() && text_[at_] == '"') {
            if (auto quoted = readQuoted())
                return *quoted + readPlain();
            if (!result_.unterminatedQuote) {
                result_.unterminatedQuote = true;
                result_.unterminatedLine = line_;
                result_.unterminatedField = field;
            }
        }
        return readPlain();
    }

    // Up to the next separator or line break, as it stands.
    std::string readPlain()
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != separator_ && !isLineBreak(text_[at_]))
            ++at_;
        return std::string(text_.substr(start, at_ - start));
    }

    // A quoted field from its opening quote at `at_`; leaves `at_` after the
    // closing quote. Without a closing quote nothing is consumed.
    std::optional<std::string> readQuoted()
    {
        std::string value;
        std::size_t pos = at_ + 1;
        std::size_t lines = 0;
        while (pos < text_.size()) {
            const char c = text_[pos];
            if (c == '"') {
                if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
                    value += '"';
                    pos += 2;
                    continue;
                }
                at_ = pos + 1;
                line_ += lines;
                return value;
            }
            // CR LF counts as one line; a lone CR or LF as one each.
            if (c == '\n' || (c == '\r' && (pos + 1 >= text_.size() || text_[pos + 1] != '\n')))
                ++lines;
            value += c;
            ++pos;
        }
        return std::nullopt;
    }

    void skipLineBreak()
    {
        if (at_ >= text_.size())
            return;
        if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n')
            ++at_;
        ++at_;
        ++line_;
    }

    std::string_view text_;
    char separator_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    TableText result_;
};

bool needsQuotes(const std::string& field, char separator)
{
    for (const char c : field)
        if (c == separator || c == '"' || isLineBreak(c))
            return true;
    return false;
}

} // namespace

TableText readTableText(std::string_view text, char separator)
{
    return TableReader(text, separator).read();
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

} // namespace kalvor
