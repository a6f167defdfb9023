// Arrays indexed from the design's own lower bounds. Neither allocator returns
// an unusable array: every failure ends the run through fatal_exit with its
// allocation failure text. Nothing is ever freed.
#pragma once

#include <cstdint>

// A single-precision cube with valid indices [nrl..nrh][ncl..nch][ndl..ndh],
// its elements contiguous in row-major order and not initialised. Three
// allocations whatever its size: the first-level pointers, the second-level
// pointers, the data block (each with one spare element in front). All of it
// is used at once, so a cube beyond the machine's memory fails like an
// allocation rather than being granted and the run killed when it is used.
float*** f3tensor(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch,
                  std::int64_t ndl, std::int64_t ndh);

// A zero-filled integer table with valid indices [nrl..nrh][ncl..nch], each
// row its own allocation. Untouched rows cost no physical memory.
int** imatrix(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch);
