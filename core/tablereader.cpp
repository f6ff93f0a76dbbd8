#include "core/tablereader.h"

namespace kalvor {

bool TableReader::readField(std::string& field)
{
    ++fieldInRow_;
    field.clear();
    if (at_ < text_.size() && text_[at_] == '"') {
        if (readQuoted(field)) {
            // Characters after the closing quote are kept after it.
            std::string rest;
            readPlain(rest);
            field += rest;
        } else {
            if (!unterminatedQuote_) {
                unterminatedQuote_ = true;
                unterminatedLine_ = line_;
                unterminatedField_ = fieldInRow_;
            }
            readPlain(field);
        }
    } else {
        readPlain(field);
    }
    if (at_ < text_.size() && text_[at_] == separator_) {
        ++at_;
        return true;
    }
    skipLineBreak();
    fieldInRow_ = 0;
    return false;
}

// Up to the next separator or line break, as it stands.
void TableReader::readPlain(std::string& field)
{
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] != separator_ && !isLineBreak(text_[at_]))
        ++at_;
    field.append(text_.substr(start, at_ - start));
}

// A quoted field from its opening quote at `at_`; leaves `at_` after the
// closing quote. Without a closing quote nothing is consumed and `field` is
// left empty.
bool TableReader::readQuoted(std::string& field)
{
    std::size_t pos = at_ + 1;
    std::size_t lines = 0;
    while (pos < text_.size()) {
        const char c = text_[pos];
        if (c == '"') {
            if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
                field += '"';
                pos += 2;
                continue;
            }
            at_ = pos + 1;
            line_ += lines;
            return true;
        }
        if (endsLine(text_, pos))
            ++lines;
        field += c;
        ++pos;
    }
    field.clear();
    return false;
}

void TableReader::skipLine()
{
    while (at_ < text_.size() && !isLineBreak(text_[at_]))
        ++at_;
    skipLineBreak();
}

void TableReader::skipLineBreak()
{
    if (at_ >= text_.size())
        return;
    // At the CR of a CR LF, the LF ends the line.
    if (!endsLine(text_, at_))
        ++at_;
    ++at_;
    ++line_;
}

}  // namespace kalvor
