// A table file: a header line naming the columns, then one record per line,
// as spreadsheets and R write them. Five of its columns are the variety,
// year, location, block and trait value; the levels of a factor are the
// values that occur in its column.
#pragma once

#include "design/load_context.h"
#include "design/loader.h"
#include "design/table_line.h"

// Both passes over a table whose fields `separator` separates, read from
// the start.
Trial load_table_file(LoadContext& load, const LoadOptions& options, Separator separator);
