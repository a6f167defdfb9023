// The cluster matrix files' names, derived from the data file's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The data file name with the last four characters of its name proper (the
// part after the last folder separator) replaced by ".DIS": trial.dat gives
// trial.DIS, sub/trial.dat gives sub/trial.DIS. A name proper shorter than
// four characters keeps all of them (abc gives abc.DIS, sub/a gives
// sub/a.DIS), so the matrix always lands in the data file's folder. The
// name is taken as the system opens it: on Windows trial.dat. gives
// trial.DIS.
std::string matrix_file_name(std::string_view data_name);

// The same without ".DIS": the stem of the names of several matrices.
std::string data_file_stem(std::string_view data_name);

// The stem --output gives for several matrices: the name without a final
// ".DIS", in any case.
std::string matrix_stem_of(std::string_view output);

// The stem of the files --output puts in a folder: the data file's stem
// without its folder, in `folder` (res/ or res, and sub/trial.csv give
// res/trial).
std::string stem_in_folder(std::string_view folder, std::string_view data_name);

// A trait whose matrix is named: its column's name as the header writes it,
// and the column's number from 1.
struct TraitPart {
    std::string name;
    std::size_t column;
};

// The names of the matrices of several traits: the stem, the trait's part
// and ".DIS" (wheat.plant_height.DIS). In the part, a blank or any character
// but an ASCII letter or digit, '-', '_' and '.' becomes '_'; a name with a
// byte beyond ASCII, or left without a letter or digit, gives the column's
// number (col7). Parts that match whatever their case, which Windows takes
// for one file, each get the column's number too (wheat.Yield.col5.DIS,
// wheat.yield.col6.DIS).
std::vector<std::string> trait_matrix_names(std::string_view stem,
                                            const std::vector<TraitPart>& traits);

// A file that goes with a matrix: its name with a final ".DIS", in any case,
// replaced by `ending`, or else `ending` appended (wheat.DIS and ".groups.tsv"
// give wheat.groups.tsv).
std::string companion_name(std::string_view matrix_name, std::string_view ending);
