// What the tree clusters: the levels of one factor (the matrix's columns:
// varieties, years or locations), each described by its values in the
// matrix's rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ClusterData {
    std::int64_t rows = 0;
    std::vector<std::string> labels; // by level, as the matrix's header shows them
    // Level-major, values[level * rows + row], so that a level's values are
    // contiguous for the distance loop; NaN for an empty cell. In double:
    // the cells the model fills are least-squares fits, exact far beyond a
    // float's digits. Holds labels.size() * rows values.
    std::vector<double> values;
    // Each row's label as the matrix shows it ("Y1+L2"); where given, kept
    // in step with the rows.
    std::vector<std::string> row_labels;
};
