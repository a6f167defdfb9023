// Arrays indexed from the design's own lower bounds. Neither allocator returns
// an unusable array: every failure ends the run through fatal_exit with its
// allocation failure text. Nothing is ever freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A single-precision cube with valid indices [nrl..nrh][ncl..nch][ndl..ndh],
// its elements contiguous in row-major order and not initialised. Three
// allocations whatever its size: the first-level pointers, the second-level
// pointers, the data block (each with one spare element in front). All of it
// is used at once, so a cube beyond the machine's memory fails like an
// allocation rather than being granted and the run killed when it is used.
// A `failure` given is the message of every failure instead.
float*** f3tensor(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch,
                  std::int64_t ndl, std::int64_t ndh, std::string_view failure = {});

// A zero-filled integer table with valid indices [nrl..nrh][ncl..nch], each
// row its own allocation. Untouched rows cost no physical memory.
int** imatrix(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch);

// A zero-filled block of `count` elements of `size` bytes, one per cell of
// the cube and all of it used, like the cube. Ends the run through
// fatal_exit with `failure` when it can't be had.
void* zeroed_cells(std::int64_t count, std::size_t size, std::string_view failure);
