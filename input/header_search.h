// Where a table's header is: the first line that names five or more
// columns and whose next line has as many fields (or one more, for R's row
// names). Spreadsheets put titles and notes above it ("Table 3. Grain yield
// of wheat lines, 2019", padded with separators to the table's width), and
// the separator that splits the header is the file's.
#pragma once

#include "input/data_reader.h"
#include "input/table_line.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HeaderSearch {
    bool found = false;
    std::int64_t line = 0;                   // the header's line, counted from the file's first
    Separator separator = Separator::blanks; // the file's, as search_header says
    std::vector<std::string> names;          // the header's fields
    std::vector<std::string> first_record;   // the fields of the line after it
    // The first line that is not blank, counted from the file's first, and
    // whether it would name five columns or more at commas or semicolons but
    // for a quote left open.
    std::int64_t first_line = 0;
    bool first_line_open_quote = false;
    // The fields of the first records under the header (up to
    // header_search_lines of them), which say what each column holds.
    std::vector<std::vector<std::string>> records;
};

// Lines looked at for the header: titles and notes above a table are a few
// lines at most.
inline constexpr int header_search_lines = 20;

// Reads up to header_search_lines lines that are not blank (and the one
// after the last) from where the reader stands, `skipped` lines into the
// file, and says where the header is and which separator the file has:
// the one that found the header, or else the first line's that is not blank
// (runs of blanks where there is none). Consumes what it reads: the caller
// restarts the reader. Gives nothing when the first line that is not blank
// is UTF-16 without its mark (a zero byte in every other place), which no
// reading can make sense of.
std::optional<HeaderSearch> search_header(DataReader& reader, std::int64_t skipped);

// Reads the first records under the header `search` found into its
// `records`, split at its separator; lines a quote leaves open are left
// out. Consumes what it reads: the caller restarts the reader.
void read_first_records(DataReader& reader, HeaderSearch& search);
