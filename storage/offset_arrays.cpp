#include "storage/offset_arrays.h"

#include "base/checked_size.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Element counts travel as int64 with every sum and product checked: a size
// that can't be represented is reported as the allocation it would have
// failed, never wrapped into a small one.
static bool checked_count(std::int64_t low, std::int64_t high, std::int64_t& count) {
    return subtract_checked(high, low, count) && add_checked<std::int64_t>(count, 1, count) &&
           count >= 1;
}

// Allocates `count` elements of `size` bytes, or gives nullptr when the size
// can't be represented or the memory can't be had. With a budget, memory
// that will all be used is taken from it: the system grants address space
// far beyond its memory and kills the process once the pages are used, so
// the failure must come here, where it can be reported.
static void* allocate(std::int64_t count, std::size_t size, bool zero_filled,
                      std::size_t* budget = nullptr) {
    std::size_t bytes;
    if (count < 0 || !multiply_checked(static_cast<std::size_t>(count), size, bytes) ||
        bytes > static_cast<std::size_t>(PTRDIFF_MAX))
        return nullptr;
    if (budget) {
        if (bytes > *budget) return nullptr;
        *budget -= bytes;
    }
    return zero_filled ? std::calloc(static_cast<std::size_t>(count), size) : std::malloc(bytes);
}

float*** f3tensor(std::int64_t nrl, std::int64_t nrh, std::int64_t ncl, std::int64_t nch,
                  std::int64_t ndl, std::int64_t ndh, std::string_view failure) {
    auto fail = [&](int step) {
        if (failure.empty()) fatal_exit(texts::f3tensor_failure[step]);
        fatal_exit(failure);
    };
    std::int64_t nrow = 0, ncol = 0, ndep = 0, planes = 0, cells = 0;
    // Every pointer is wired and every cell cleared: all of it is used.
    std::size_t budget = physical_memory();
    bool sized = checked_count(nrl, nrh, nrow) && checked_count(ncl, nch, ncol) &&
                 checked_count(ndl, ndh, ndep);

    std::int64_t row_slots = 0;
    auto** rows = sized && add_checked<std::int64_t>(nrow, 1, row_slots)
                      ? static_cast<float***>(allocate(row_slots, sizeof(float**), false, &budget))
                      : nullptr;
    if (!rows) fail(0);
    rows = rows + 1 - nrl;

    std::int64_t plane_slots = 0;
    auto** columns =
        multiply_checked(nrow, ncol, planes) && add_checked<std::int64_t>(planes, 1, plane_slots)
            ? static_cast<float**>(allocate(plane_slots, sizeof(float*), false, &budget))
            : nullptr;
    if (!columns) fail(1);
    rows[nrl] = columns + 1 - ncl;

    std::int64_t data_slots = 0;
    auto* data =
        multiply_checked(planes, ndep, cells) && add_checked<std::int64_t>(cells, 1, data_slots)
            ? static_cast<float*>(allocate(data_slots, sizeof(float), false, &budget))
            : nullptr;
    if (!data) fail(2);
    rows[nrl][ncl] = data + 1 - ndl;

    for (std::int64_t j = ncl + 1; j <= nch; ++j) rows[nrl][j] = rows[nrl][j - 1] + ndep;
    for (std::int64_t i = nrl + 1; i <= nrh; ++i) {
        rows[i] = rows[i - 1] + ncol;
        rows[i][ncl] = rows[i - 1][ncl] + ncol * ndep;
        for (std::int64_t j = ncl + 1; j <= nch; ++j) rows[i][j] = rows[i][j - 1] + ndep;
    }
    return rows;
}

void free_f3tensor(float*** cube, std::int64_t nrl, std::int64_t ncl, std::int64_t ndl) {
    // Each block has its spare element in front, where f3tensor's offset
    // points back to.
    std::free(cube[nrl][ncl] + ndl - 1);
    std::free(cube[nrl] + ncl - 1);
    std::free(cube + nrl - 1);
}

void* zeroed_cells(std::int64_t count, std::size_t size, std::string_view failure) {
    std::size_t budget = physical_memory();
    void* cells = allocate(count, size, true, &budget);
    if (!cells) fatal_exit(failure);
    return cells;
}
