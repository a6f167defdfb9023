// The cluster matrix file's name, derived from the data file's.
#pragma once

#include <cstddef>
#include <string>

// Removes `count` characters of a NUL-terminated text at `position` by moving
// everything after them, terminator included, down to `position`.
void str_delete(char* text, std::size_t position, std::size_t count);

// The data file name with its last four characters replaced by ".DIS"
// (trial.dat gives trial.DIS); a name shorter than four characters keeps all
// of them (abc gives abc.DIS).
std::string matrix_file_name(const char* data_name, std::size_t data_name_length);
