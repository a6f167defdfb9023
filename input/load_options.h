// What a load is given and what it gives: the options a run reads the data
// file with, the traits and a table's header chosen before the passes, and
// the trial the passes fill. The loaders and the rest of the program share
// these; nothing here knows how the file is read.
#pragma once

#include "input/decimal_mark.h"
#include "trial/trait_cube.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How the data file is read.
struct LoadOptions {
    // The columns of the variety, year, location, block and the traits:
    // header names or column numbers from 1, a trait or more. Given, they
    // make the file a table whatever its separator.
    std::vector<std::string> columns;
    // A cell holds the mean of its values (true), or the last one; unset, a
    // table's cells are means over its blocks, as a breeder analyses them,
    // and a classic file's keep their last value, as they always have.
    std::optional<bool> cell_means;
    // The trait values' decimal mark; by default a comma in a CSV file
    // separated by semicolons, a point everywhere else.
    std::optional<DecimalMark> decimal;
    std::int64_t skip = 0; // lines before the data: a title, notes
    // Bytes read at a time, and the cube's form; tests choose them, so that
    // block ends fall inside every kind of record and both forms are read.
    std::size_t read_block = std::size_t{1} << 17;
    CubeForm cube_form = CubeForm::automatic;
    // Threads that share the load (--threads); one reads it as it always
    // has. A file smaller than `parallel_from` bytes is read on one: its
    // load takes less time than starting threads. The threads take ranges
    // of `range_bytes`; tests make both tiny, so that a file of a few
    // records is cut everywhere.
    int threads = 1;
    std::int64_t parallel_from = std::int64_t{1} << 20;
    std::size_t range_bytes = std::size_t{1} << 20;
    // A load on several threads reads the file once, its cells growing
    // with the levels met, while they take at most this many bytes beyond
    // twice the cube's; beyond, it reads the file twice, the cube sized
    // first, as with a budget of 0. Tests make it tiny.
    std::size_t growing_budget = std::size_t{48} << 20;
};

// A trait to load: its column's name as the console shows it and as the
// file's bytes are (none in a classic file), and the column's number from 1.
struct TraitColumn {
    std::string name;
    std::string as_written;
    std::size_t column = 5;
};

// A table's header line and the columns chosen from it.
struct TableHeader {
    std::vector<std::string> names;
    std::vector<std::size_t> columns; // the header's column of each design role, then of each trait
    bool traits_found = false;        // the traits are every column of numbers the roles left
};

// What a load gives: a cube per trait, and how much it read.
struct Trial {
    std::vector<TraitCube> traits;
    bool table = false;                // a table was read (its load is accounted for)
    std::int64_t records = 0;          // a table's records
    std::int64_t repeated_headers = 0; // copies of a table's header line, skipped
    bool row_names = false;            // a table's records begin with a row name, skipped
    bool cell_means = false;           // a table's cells are means, not last values
    bool traits_found = false;         // the traits were found, not named: the account lists them
    // A table's records whose variety, year, location and block are an
    // earlier record's: under means a value of the cell like any other, under
    // last values the later one.
    std::int64_t repeated_plots = 0;
    std::string header_trait; // a classic file's trait as its header names it
    // Ranges the file was parsed in on several threads; 0 when one read it.
    std::int64_t ranges = 0;
};
