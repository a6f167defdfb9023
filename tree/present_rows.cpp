#include "tree/present_rows.h"

PresentRows present_rows(const ClusterData& data, const std::vector<std::int32_t>& levels) {
    PresentRows present;
    present.words = (data.rows + 63) / 64;
    present.bits.assign(levels.size() * static_cast<std::size_t>(present.words), 0);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double* values = data.values.data() + levels[i] * data.rows;
        std::uint64_t* bits = present.bits.data() + static_cast<std::int64_t>(i) * present.words;
        for (std::int64_t row = 0; row < data.rows; ++row)
            if (values[row] == values[row]) bits[row / 64] |= std::uint64_t{1} << (row % 64);
    }
    return present;
}
