// The last stage of a run: the cluster matrix file of the loaded cube, named
// after the data file.
#pragma once

#include "design/data_file.h"
#include "design/trait_cube.h"
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

// Settles the matrix file's name, `given` or else the data file's name with
// its last four characters replaced by ".DIS", and makes sure, before
// anything is written, that the matrix can be written under it. Ends the run
// through fatal_exit for a name that would replace the data file, a folder,
// a read-only file, a file another program holds open, or a folder where
// nothing can be created, saying which.
std::string choose_matrix_file(const std::optional<std::string>& given, const DataFile& data);

// Writes the matrix file of `cube` in `layout` under `name`, which replaces
// any earlier one only once it is complete and on the disk. When writing
// fails, says so on stderr and gives a file not written: the earlier one is
// then unchanged.
MatrixFile write_matrix_file(const std::string& name, const TraitCube& cube, Layout layout);
