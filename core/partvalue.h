#pragma once

#include <string>

namespace kalvor {

// One part (real or imaginary) of a cell as the parser leaves it: either a
// piece of the cell text, read as a number only when the solver uses it, or
// one of the small integers 0, 1, -1, which are their own value, or a number
// already computed (a formula cell's part), which is its own value too.
class PartValue {
public:
    // A Text part holding `text` unchanged (it may be empty or not a number).
    static PartValue fromText(std::string text);
    // An Integer part; the parser only ever makes 0, 1 and -1.
    static PartValue fromInteger(int value);

    // A Number part holding `value` (finite, as the formula reading leaves it).
    static PartValue fromNumber(double value);

    bool isText() const { return kind_ == Kind::Text; }
    bool isNumber() const { return kind_ == Kind::Number; }
    // The text of a Text part; empty for an Integer part.
    const std::string& text() const { return text_; }
    // The value of an Integer part; 0 for any other part.
    int integer() const { return integer_; }
    // The value of a Number part; 0 for any other part.
    double number() const { return number_; }

    // Equal when both the kind and the content are equal.
    friend bool operator==(const PartValue&, const PartValue&) = default;

private:
    PartValue() = default;
    enum class Kind : unsigned char { Integer, Text, Number };
    Kind kind_ = Kind::Integer;
    std::string text_;
    int integer_ = 0;
    double number_ = 0.0;
};

}  // namespace kalvor
