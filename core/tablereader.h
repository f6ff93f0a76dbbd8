#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvor {

// Whether `c` starts or ends a line break (CR or LF).
inline bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

// Whether the byte at `at` of `text` (at < text.size()) ends a line: an LF,
// or a CR not followed by an LF, so that CR LF counts as one line break and
// a lone CR or LF as one each. Every reader of table text numbers its lines
// by this rule.
inline bool endsLine(std::string_view text, std::size_t at)
{
    return text[at] == '\n' || (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'));
}

// Reads table text one field at a time, splitting it exactly as
// readTableText does (readTableText is built on it). For readers that must
// not hold every field of a text at once, such as the reader of system
// files, which refuses a huge table without keeping it.
class TableReader {
public:
    // `firstLine`: the number the text's first line has (lines before it
    // were read some other way).
    TableReader(std::string_view text, char separator, std::size_t firstLine = 1)
        : text_(text), separator_(separator), line_(firstLine)
    {
    }

    // True while the text holds another row; empty text holds none.
    bool hasRow() const { return at_ < text_.size(); }

    // The 1-based line of the text at which the next field starts.
    std::size_t line() const { return line_; }

    // Reads the next field of the current row into `field` (replacing what
    // it held). True when another field of the same row follows; false when
    // this was the row's last one, its line break read, so the next call
    // reads the first field of the next row.
    bool readField(std::string& field);

    // The byte at which the next field starts (only meaningful at a row's
    // start, for a reader that looks at the raw line before reading it).
    char nextByte() const { return text_[at_]; }
    // Skips the rest of the current line, its line break included, as raw
    // text (no quotes read). Only at a row's start.
    void skipLine();

    // Whether a quoted field ran to the end of the text without its closing
    // quote (it is then read as it stands, quote included, up to the end of
    // its line), and the 1-based line and field where the first one opens.
    bool unterminatedQuote() const { return unterminatedQuote_; }
    std::size_t unterminatedLine() const { return unterminatedLine_; }
    std::size_t unterminatedField() const { return unterminatedField_; }

private:
    void readPlain(std::string& field);
    bool readQuoted(std::string& field);
    void skipLineBreak();

    std::string_view text_;
    char separator_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::size_t fieldInRow_ = 0;
    bool unterminatedQuote_ = false;
    std::size_t unterminatedLine_ = 0;
    std::size_t unterminatedField_ = 0;
};

}  // namespace kalvor
