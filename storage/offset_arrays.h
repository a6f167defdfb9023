// Arrays indexed from the design's own lower bounds. The allocator never
// returns an unusable array: every failure ends the run through fatal_exit
// with its allocation failure text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

// A single-precision cube with valid indices [nrl..nrh][ncl..nch][ndl..ndh],
// its elements contiguous in row-major order and not initialised. Three
// allocations whatever its size: the first-level pointers, the second-level
// pointers, the data block (each with one spare element in front). All of it
// is used at once, so a cube beyond the machine's memory fails like an
// allocation rather than being granted and the run killed when it is used.
// A `failure` given is the message of every failure instead.
float*** f3tensor(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch,
                  std::int64_t ndl, std::int64_t ndh, std::string_view failure = {});

// Gives back the three allocations of a cube f3tensor made with the same
// lower bounds.
void free_f3tensor(float*** cube, std::int64_t nrl, std::int64_t ncl, std::int64_t ndl);

// The cells of a FloatCube by their indices, for a loop that puts values:
// a copy that the loop keeps in a register, valid while the cube is.
class CubeIndex {
  public:
    float& operator()(std::int64_t i, std::int64_t j, std::int64_t k) const {
        return cells_[i][j][k];
    }

  private:
    friend class FloatCube;
    explicit CubeIndex(float*** cells) : cells_(cells) {}
    float*** cells_;
};

// A cube from f3tensor with every index from 1, owned: freed when the value
// goes, moved but never copied (a copy of a trial's cube would double the
// memory it needs). Empty until made.
class FloatCube {
  public:
    FloatCube() = default;
    // Ends the run as f3tensor does when the memory can't be had, with
    // `failure` for its message when one is given.
    FloatCube(std::int64_t n1, std::int64_t n2, std::int64_t n3, std::string_view failure = {})
        : cells_(f3tensor(1, n1, 1, n2, 1, n3, failure)) {}
    FloatCube(FloatCube&& from) noexcept : cells_(std::exchange(from.cells_, nullptr)) {}
    FloatCube& operator=(FloatCube&& from) noexcept {
        std::swap(cells_, from.cells_);
        return *this;
    }
    ~FloatCube() {
        if (cells_) free_f3tensor(cells_, 1, 1, 1);
    }

    // The cell [i][j][k], found through the pointers: no multiplication.
    float& at(std::int64_t i, std::int64_t j, std::int64_t k) { return cells_[i][j][k]; }
    float at(std::int64_t i, std::int64_t j, std::int64_t k) const { return cells_[i][j][k]; }
    // The cells [i][j][1..n3], contiguous.
    const float* line(std::int64_t i, std::int64_t j) const { return &cells_[i][j][1]; }
    // Every cell, [1][1][1] first, in row-major order.
    float* data() { return &cells_[1][1][1]; }
    CubeIndex index() { return CubeIndex(cells_); }

  private:
    float*** cells_ = nullptr;
};

// A zero-filled block of `count` elements of `size` bytes, one per cell of
// the cube and all of it used, like the cube. Ends the run through
// fatal_exit with `failure` when it can't be had. Given back with std::free,
// as CellBlock does.
void* zeroed_cells(std::int64_t count, std::size_t size, std::string_view failure);

struct FreeCells {
    void operator()(void* cells) const { std::free(cells); }
};
template <class T>
using CellBlock = std::unique_ptr<T[], FreeCells>;
