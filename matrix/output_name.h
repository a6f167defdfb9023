// The cluster matrix file's name, derived from the data file's.
#pragma once

#include <string>
#include <string_view>

// The data file name with the last four characters of its name proper (the
// part after the last folder separator) replaced by ".DIS": trial.dat gives
// trial.DIS, sub/trial.dat gives sub/trial.DIS. A name proper shorter than
// four characters keeps all of them (abc gives abc.DIS, sub/a gives
// sub/a.DIS), so the matrix always lands in the data file's folder. The
// name is taken as the system opens it: on Windows trial.dat. gives
// trial.DIS.
std::string matrix_file_name(std::string_view data_name);
