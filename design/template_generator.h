// The design template: a fully crossed trial written into a new data file.
#pragma once

// Creates the data file named data_file_name as a design template: asks for
// the numbers of varieties, years, locations and blocks and writes the header
// and one record per combination, with the trait values 1, 2, 3, ... in line
// order so that every cell of the cube is filled. A size of 0 or less gives
// the header only. The file appears under its name only when it is complete
// and never replaces anything. A name that is taken, a size that is not a
// whole number, a trial of more records than an int counts, or a failed write
// ends the run through fatal_exit with nothing left under the name.
void make_template();
