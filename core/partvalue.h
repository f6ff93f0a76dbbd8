#pragma once

#include <string>

namespace kalvor {

// One part (real or imaginary) of a cell as the parser leaves it: either a
// piece of the cell text, read as a number only when the solver uses it, or
// one of the small integers 0, 1, -1, which are their own value.
class PartValue {
public:
    // A Text part holding `text` unchanged (it may be empty or not a number).
    static PartValue fromText(std::string text);
    // An Integer part; the parser only ever makes 0, 1 and -1.
    static PartValue fromInteger(int value);

    bool isText() const { return isText_; }
    // The text of a Text part; empty for an Integer part.
    const std::string& text() const { return text_; }
    // The value of an Integer part; 0 for a Text part.
    int integer() const { return integer_; }

    // Equal when both the kind and the content are equal.
    friend bool operator==(const PartValue&, const PartValue&) = default;

private:
    PartValue() = default;
    bool isText_ = false;
    std::string text_;
    int integer_ = 0;
};

}  // namespace kalvor
