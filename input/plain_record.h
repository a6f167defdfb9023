// The quick way through a design data file. Nearly every record is four bare
// codes and a trait token separated by white space; such a record is taken
// straight from the reader's buffer, without the field-by-field machinery
// that defines the behaviour for every other case. Inline, so that it joins
// the loader's loop: a call per record costs a tenth of the whole load.
#pragma once

#include "base/whole_number.h"
#include "input/data_reader.h"

#include <cstddef>
#include <string_view>

struct RecordCodes {
    int variety, year, location, block;
};

struct PlainRecord {
    RecordCodes codes;
    std::string_view trait; // into the reader's buffer, until the next call on the reader
};

// What ends a trait token in the buffer: white space, or a NUL, which marks
// the end of the buffered bytes (or, rarely, is a byte of the data).
inline constexpr auto token_ends = [] {
    auto table = blank_bytes;
    table[0] = true;
    return table;
}();

// The scan runs on the NUL after the buffered bytes instead of checking
// bounds at every byte: no digit, blank or token byte is NUL, so every loop
// stops there at the latest.

// The code at p and the white space after it; nullptr when it is not a
// plain code (one to nine bare digits, a number from 1, followed by white
// space) or the white space runs to the end of the buffered bytes.
inline const char* take_code(const char* p, const char* stop, int& code) {
    const char* const first = p;
    std::uint32_t value;
    p = read_digits(p, value);
    // Nine digits always fit an int; a longer code takes the long way.
    if (value == 0 || p - first > 9 || !is_blank(*p)) return nullptr;
    code = static_cast<int>(value);
    while (is_blank(*++p)) {
    }
    return p == stop ? nullptr : p;
}

// Takes the next record when it is plain: each code bare digits, from 1, a
// trait token of at most longest_token bytes, each field followed
// by white space, and the first byte after the record's white space already
// buffered and not a 'c' (which the field format would swallow). Otherwise
// gives false and consumes nothing, and the caller reads the record field by
// field.
inline bool take_plain_record(DataReader& reader, PlainRecord& record) {
    const char* p = reader.buffer + reader.begin;
    const char* const stop = reader.buffer + reader.end;
    RecordCodes codes;
    if (!(p = take_code(p, stop, codes.variety)) || !(p = take_code(p, stop, codes.year)) ||
        !(p = take_code(p, stop, codes.location)) || !(p = take_code(p, stop, codes.block)) ||
        *p == 'c')
        return false;
    const char* trait = p;
    while (!token_ends[static_cast<unsigned char>(*p)]) ++p;
    if (!is_blank(*p) || static_cast<std::size_t>(p - trait) > longest_token) return false;
    record.trait = std::string_view(trait, static_cast<std::size_t>(p - trait));
    while (is_blank(*++p)) {
    }
    if (p == stop || *p == 'c') return false;
    record.codes = codes;
    reader.begin = static_cast<std::size_t>(p - reader.buffer);
    return true;
}
