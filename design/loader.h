// The design data file and the trait cube it is loaded into.
//
// The file is white-space separated text: five header names, then records of
// five fields each: variety, year, location and block codes, and a trait
// value. Line structure carries no meaning.
#pragma once

#include <cstddef>
#include <cstdint>

extern int nVar;            // largest variety code seen
extern int nYear;           // largest year code seen
extern int nLoc;            // largest location code seen
extern float*** trait_cube; // [variety][year][location], every index from 1; 0 = empty
extern float grand_mean;    // mean of every non-zero trait value read, summed in double

// Bytes read from the data file at a time; tests shrink it so that block ends
// fall inside every kind of record.
extern std::size_t read_block_size;

// Reads the open data file (design/data_file.h) in two passes: the first
// finds the level counts and allocates the cube and the work tables, the
// second fills the cube and sums the grand mean. Closes the file. A
// malformed or unreadable file, or data too large for memory, ends the run
// through fatal_exit naming the record and the token at fault. A file that
// is no longer as it was opened, or whose second pass finds other records
// than its first, ends it as a file that changed while it was read.
void load_trait_cube();
