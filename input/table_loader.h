// A table file: a header line naming the columns, then one record per line,
// as spreadsheets and R write them. Five of its columns are the variety,
// year, location, block and trait value; the levels of a factor are the
// values that occur in its column.
#pragma once

#include "input/load_context.h"
#include "input/load_options.h"
#include "input/table_line.h"

// Reads the header of a table whose fields `separator` separates, and
// chooses its columns: those --columns names, or by the names of its five
// columns. Refuses a header below other lines, columns --columns can't find
// or names twice as traits, and more than five columns without --columns.
TableHeader read_table_header(LoadContext& load, const LoadOptions& options, Separator separator);

// Both passes over the table, read from the start.
Trial load_table_file(LoadContext& load, const LoadOptions& options, Separator separator,
                      const TableHeader& header);
