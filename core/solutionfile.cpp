#include "core/solutionfile.h"

#include <algorithm>

#include "core/numberformat.h"
#include "core/numberreading.h"
#include "core/partvalue.h"
#include "core/tabletext.h"

namespace kalvor {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
const std::vector<std::string> definedColumns{"Unknown", "Value", "Real part", "Imaginary part"};

}  // namespace

std::string writeSolutionFile(const std::vector<std::string>& labels, const std::vector<std::string>& texts,
                              const std::vector<double>& re, const std::vector<double>& im,
                              const std::vector<SolutionColumn>& extra)
{
    std::vector<std::vector<std::string>> rows;
    rows.reserve(labels.size() + 1);
    rows.push_back(definedColumns);
    for (const SolutionColumn& column : extra)
        rows.front().push_back(column.name);
    for (std::size_t k = 0; k < labels.size(); ++k) {
        std::vector<std::string> row{labels[k], texts[k], shortestText(re[k]), shortestText(im[k])};
        for (const SolutionColumn& column : extra)
            row.push_back(k < column.texts.size() ? column.texts[k] : std::string());
        rows.push_back(std::move(row));
    }
    return writeTableText(rows, '\t');
}

bool isSolutionFile(std::string_view bytes)
{
    if (bytes.starts_with(ByteOrderMark))
        bytes.remove_prefix(ByteOrderMark.size());
    const TableText table = readTableText(bytes, '\t');
    if (table.rows.empty())
        return false;
    const std::vector<std::string>& first = table.rows.front().fields;
    if (first.size() >= definedColumns.size()
        && std::equal(definedColumns.begin(), definedColumns.end(), first.begin()))
        return true;
    // Without the header, as such files were first written: every line
    // "Xk<TAB>text<TAB>re<TAB>im" with k counting from 1 and re and im
    // numbers; blank lines at the end are no lines.
    const auto isNumber = [](const std::string& text) { return readNumber(PartValue::fromText(text)).has_value(); };
    std::size_t k = 0;
    for (const TableRow& row : table.rows) {
        if (row.fields.size() == 1 && row.fields.front().empty())
            continue;
        if (row.fields.size() != 4 || row.fields[0] != "X" + std::to_string(++k) || !isNumber(row.fields[2])
            || !isNumber(row.fields[3]))
            return false;
    }
    return k > 0;
}

}  // namespace kalvor
