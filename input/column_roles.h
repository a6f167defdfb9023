// Columns found by their names, as breeders name them (gen, genotype,
// variety, ...; year, season; loc, site, env, ...; rep, block, ...), and
// the command that reads a table by them, for the messages that say how
// to read a file clustmat has refused.
#pragma once

#include "input/header_search.h"
#include "input/trait_value.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The header's column of each design role (variety, year, location,
// block), from 0: the matching column whose name comes first in the role's
// list, whatever its case; nothing unless every role has one, the only case
// anything acts on, and nothing where a role's name is on two columns.
std::optional<std::array<std::size_t, 4>> design_columns(const std::vector<std::string>& names);

// The first column of a role's name that another column has too (whatever
// its case), where every role has a name: which of the two is the role's,
// nothing can tell.
std::optional<std::size_t> role_name_twice(const std::vector<std::string>& names);

// The whole command that reads the data file `file` as the table `search`
// found: --skip for the lines above its header, and --columns as `given`
// (the user's), or else from the names of its columns unless `named` says
// the file needs none. Names that
// a shell or cmd.exe would take apart (a comma, a quote, a blank, a byte
// beyond ASCII) are given by their numbers. Where no column has a role's
// name, the command shows V,Y,L,B,T and the columns are listed with their
// numbers; where none is named yield, it shows TRAIT and lists the columns
// of numbers to choose from.
std::string reading_command(const HeaderSearch& search, std::string_view file, bool named,
                            DecimalMark mark, const std::vector<std::string>& given = {});

// Whether column `column` of the header `names` holds text (not a whole
// number) in most of the first records: names for codes, as a table has.
bool mostly_text(const std::vector<std::vector<std::string>>& records,
                 const std::vector<std::string>& names, std::size_t column);

// The columns that hold numbers in the first records (at least one, and
// nothing that is no number nor a missing value), among those not `taken`.
std::vector<std::size_t> number_columns(const std::vector<std::vector<std::string>>& records,
                                        const std::vector<std::string>& names,
                                        const std::vector<std::size_t>& taken, DecimalMark mark);

// Every column of a header with its number from 1, or only those `listed`
// marks where it is given: 1 "plot", 2 "genotype", ...
std::string numbered_columns(const std::vector<std::string>& names,
                             const std::vector<bool>& listed = {});
