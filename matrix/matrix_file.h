// The last stage of a run: the cluster matrix file of the loaded cube, named
// after the data file (design/data_file.h).
#pragma once

#include "matrix/matrix_writer.h"

#include <cstdint>
#include <optional>
#include <string>

struct MatrixFile {
    std::string name;
    bool written = false;
    // The data rows and the value columns, without the header line and the
    // row labels; a row count of two large factors exceeds int.
    std::int64_t rows = 0, columns = 0;
};

// Writes the matrix file of `layout` under `name`, or else under the data
// file's name with its last four characters replaced by ".DIS". It replaces any earlier one only
// once it is complete and on the disk. When writing fails, says so on
// stderr and gives a file not written: the earlier one is then unchanged. A
// matrix file that would replace the data file, or one that can't be
// created, ends the run through fatal_exit.
MatrixFile write_matrix_file(Layout layout, const std::optional<std::string>& name = {});
