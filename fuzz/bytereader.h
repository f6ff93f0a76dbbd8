#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvor {

// Hands out the fuzzer's bytes piece by piece. Once the bytes run out every
// read gives zeros or empty text, so a target never reads past its input.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool exhausted() const { return pos_ >= size_; }

    std::uint8_t byte() { return exhausted() ? 0 : data_[pos_++]; }

    // Eight bytes as the bit pattern of a double, least significant first
    // (zero-filled at the end).
    double rawDouble()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= std::uint64_t{byte()} << (8 * i);
        return std::bit_cast<double>(bits);
    }

    // Text up to a lone backslash, which ends it and is dropped; a doubled
    // backslash stands for one backslash. So a text may hold any byte and a
    // mutation that inserts "\" splits one cell into two.
    std::string text()
    {
        std::string out;
        while (!exhausted()) {
            char c = static_cast<char>(data_[pos_++]);
            if (c == '\\') {
                if (exhausted() || data_[pos_] != '\\')
                    break;
                ++pos_;
            }
            out.push_back(c);
        }
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace kalvor
