// The design template: a fully crossed trial written into a new data file.
#pragma once

// Asks for the numbers of varieties, years, locations and blocks and writes
// the header and one record per combination into data_stream, with the trait
// values 1, 2, 3, ... in line order so that every cell of the cube is filled.
// A size of 0 or less gives the header only. A size that is not a whole
// number, a trial of more records than an int counts, or a failed write ends
// the run through fatal_exit, after the unfinished file has been removed.
void make_template();
