// What both loaders of a data file share while they read it: the file, the
// reader over it, where its header seems to be, and the refusals, which
// name the file. The rest of the program sees only input/loader.h.
#pragma once

#include "input/data_file.h"
#include "input/data_reader.h"
#include "input/header_search.h"
#include "input/trait_value.h"
#include "texts/message.h"

#include <string>
#include <string_view>

struct LoadContext {
    DataFile* file;
    DataReader reader; // over the file, for both passes
    HeaderSearch header;
};

// How a load on several threads went: loaded; to be read in two passes,
// the cube sized first; or to be read on one thread, which says what is
// wrong.
enum class Shared : unsigned char { loaded, in_two_passes, on_one_thread };

// Ends the run: the file changed while it was being read.
[[noreturn]] void file_changed(const LoadContext& load);

// Ends the run on a fault in the file. A half-written file shows faults that
// its finished form won't have: when the file changed since it was opened,
// or the second pass reads other bytes than the first, that is what the
// message says.
[[noreturn]] void refuse(LoadContext& load, const std::string& message);

// The part of a message that names a token longer than longest_token.
std::string overlong(const Message& what, std::string_view token, bool table);

// The part of a message that refuses a trait field that is not a number
// under `mark`: `subject` names the field, and the other readings of the
// field, if any, say what would read it.
std::string not_a_number(const std::string& subject, std::string_view token, DecimalMark mark);

// Whether a trait value can't be held in single precision: it would become
// an infinity and make every centred value of the matrix meaningless.
inline bool beyond_single_precision(double value) {
    // Halfway between the largest float and 2^128 a value rounds to the even
    // one, 2^128: that and beyond become infinite.
    constexpr double rounds_to_infinity = 0x1.ffffffp127;
    return value >= rounds_to_infinity || value <= -rounds_to_infinity;
}
