#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// A column of a solution file beyond the defined ones: its name in the
// header line and one text per unknown (an empty text where there is none).
struct SolutionColumn {
    std::string name;
    std::vector<std::string> texts;
};

// A solution file: a header line naming the columns, "Unknown", "Value",
// "Real part", "Imaginary part" and then each extra column's name, and one
// line per unknown, "Xk", its shown text, the shortest texts of its real and
// imaginary parts, and the extra columns' texts; tab-separated, quoted as
// writeTableText quotes. `labels`, `texts`, `re`, `im` and every extra
// column's texts have one entry per unknown (a shorter column gets empty
// fields).
std::string writeSolutionFile(const std::vector<std::string>& labels, const std::vector<std::string>& texts,
                              const std::vector<double>& re, const std::vector<double>& im,
                              const std::vector<SolutionColumn>& extra = {});

// Whether `bytes` (UTF-8, as read from a file) look like a solution file:
// its header line first, or, as files were written before the header, only
// tab-separated lines of four fields "Xk", text, re, im, with k = 1, 2, ...
// in order and re and im numbers. Such a file is no system (its cells
// "Xk" are no numbers).
bool isSolutionFile(std::string_view bytes);

}  // namespace kalvor
