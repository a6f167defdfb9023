// The design template: a fully crossed trial written as a new data file
// under the name the user gave for it.
#pragma once

#include <array>
#include <string>

// The numbers of varieties, years, locations and blocks.
using TemplateSizes = std::array<int, 4>;

// Makes sure that a template can be made under the name before its sizes
// are asked: a name that is taken (a file without read permission, a link
// to nothing) is never replaced, and a folder where nothing can be created
// is found at once. Ends the run through fatal_exit otherwise.
void begin_template(const std::string& name);

// Writes the header and one record per combination of the sizes, with the
// trait values 1, 2, 3, ... in line order so that every cell of the cube is
// filled; a size of 0 or less gives the header only. The file appears under
// its name only when it is complete and never replaces anything. A trial of
// more records than an int counts, a failed write, or a name taken
// meanwhile ends the run through fatal_exit with nothing left under the name.
void make_template(const std::string& name, const TemplateSizes& sizes);
