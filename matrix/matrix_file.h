// The last stage of a run: the cluster matrix files of the loaded cubes,
// named after the data file, and the files that go with them, all put in
// place together.
#pragma once

#include "input/data_file.h"
#include "input/loader.h"
#include "matrix/matrix_writer.h"
#include "trial/trait_cube.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MatrixFile {
    std::string name;
    std::string trait; // the trait column's name, with several traits
    // The data rows and the value columns, without the header line and the
    // row labels; a row count of two large factors exceeds int.
    std::int64_t rows = 0, columns = 0;
};

// Settles the matrix file's name, `given` or else the data file's name with
// its last four characters replaced by ".DIS" (in the folder `given` when
// it ends in a separator or names a folder), and makes sure, before
// anything is written, that the matrix can be written under it. Ends the run
// through fatal_exit for a name that would replace the data file, a folder,
// a read-only file, a file another program holds open, or a folder where
// nothing can be created, saying which.
std::string choose_matrix_file(const std::optional<std::string>& given, const DataFile& data);

// The same for the matrix files of several traits, one a trait: the stem,
// `given` or the data file's (in the folder `given`), with each trait's
// part before ".DIS".
std::vector<std::string> choose_matrix_files(const std::optional<std::string>& given,
                                             const DataFile& data,
                                             const std::vector<TraitColumn>& traits);

// Ends the run through fatal_exit unless the system takes `name` for a new
// file: neither its name in its folder nor the whole is too long. The
// temporary file beside it has a shortened name, and so could not tell.
void check_name_length(const std::string& name);

// Ends the run through fatal_exit when two files of a run would be one:
// the same name, or names that differ only in ASCII case, which Windows and
// macOS take for one file; the message names both traits' columns.
// `files[k]` are the files of `traits[k]`.
void check_distinct_files(const std::vector<std::vector<std::string>>& files,
                          const std::vector<TraitColumn>& traits);

// Makes sure that a file that goes with the matrices can be written under
// `name`, as choose_matrix_file does for a matrix.
void check_output_name(const std::string& name, const DataFile& data);

// Writes each trait's matrix of `layout` to a staged file under its name
// (storage/staged_file.h). When writing fails, says so on stderr (naming
// `all`, every file of the run), removes every staged file and gives
// nothing: every earlier file is then as it was.
std::optional<std::vector<MatrixFile>> stage_matrix_files(const std::vector<std::string>& names,
                                                          const Trial& trial, Layout layout,
                                                          const std::vector<std::string>& all);

// Writes `text` to a staged file under `name`, in binary when it must be the
// same bytes on every system. When writing fails, says so on stderr (naming
// `all`, every file of the run), removes every staged file and gives false.
bool stage_text_file(const std::string& name, std::string_view text, bool binary,
                     const std::vector<std::string>& all);

// Puts every staged file in place of its name, `names` in the order they
// were staged, each replacing an earlier file only once all are complete
// and on the disk. False when that failed, after saying on stderr which
// files were replaced and which are as they were.
bool commit_output_files(const std::vector<std::string>& names);
