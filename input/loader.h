// The data file and the trait cubes it is loaded into.
//
// A classic design file is white-space separated text: five header names,
// then records of five fields each: variety, year and location codes, a
// block code and a trait value; line structure carries no meaning but for
// the lines --skip passes over. A table file (a CSV file, or any file whose
// columns are named) has a header line naming its columns and one record
// per line; its levels are the values that occur in a column.
#pragma once

#include "input/data_file.h"
#include "input/load_options.h"

#include <memory>
#include <vector>

// What is known of the data file before its passes: the traits it holds,
// and, for load_trait_cube alone, how it is read (its reader and where its
// header is, its separator, a table's header). Made by plan_load.
struct LoadPlan {
    struct Reading;
    std::unique_ptr<Reading> reading;
    std::vector<TraitColumn> traits;

    LoadPlan();
    LoadPlan(LoadPlan&&) noexcept;
    LoadPlan& operator=(LoadPlan&&) noexcept;
    ~LoadPlan();
};

// Reads the open data file up to its records: where a table's header is,
// the header itself and the columns chosen from it, so that the traits'
// names are known before the passes. A header that can't be read, or
// columns that can't be found, end the run through fatal_exit.
LoadPlan plan_load(DataFile& file, const LoadOptions& options);

// Reads the file of the plan in two passes: the first finds the levels and
// makes room for the cubes, the second fills them and sums the grand means.
// Closes the file. A malformed or unreadable file, or data too large for
// memory, ends the run through fatal_exit naming the record or line and the
// token at fault. A file that is no longer as it was opened, or whose
// second pass reads other bytes than its first, ends it as a file that
// changed while it was read.
Trial load_trait_cube(LoadPlan& plan, const LoadOptions& options);
