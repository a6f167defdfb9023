// Trait tokens: what a field holds (a number, a missing value, or neither)
// and the number's value.
#pragma once

#include "base/decimal.h"
#include "input/decimal_mark.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TraitKind : unsigned char {
    number,      // `value` is the number written
    missing,     // no observation
    not_a_number // a refusal: the field is neither
};

struct TraitReading {
    TraitKind kind = TraitKind::missing;
    double value = 0;
};

// A trait token of the classic design file, read as the C library's atof
// reads it: an optional sign, digits with an optional fraction, and an
// optional exponent introduced by e, E, d or D (the Fortran style some
// field books still write). A token that does not begin with such a number
// ("NA", ".", "x") is missing; one that begins with a number but holds more
// ("7,80", "12abc", "1.5e") is not a number, since a value cut short would
// be a silently wrong one. With `decimal_comma`, a token of digits, a comma
// and digits ("7,80", "-7,80") reads with the comma as its decimal mark.
// The caller decides what 0 means. Hexadecimal, "inf" and "nan" are no
// numbers here. The value is the correctly rounded double of the number.
TraitReading read_classic_trait(std::string_view token, bool decimal_comma);

// A trait field of a table, its quotes and surrounding blanks gone: missing
// when empty or one of the forms spreadsheets and statistics programs write
// for a missing value (NA, N/A, NaN, #N/A, ., -, *, in any case); otherwise
// the whole field must be a decimal number with `mark` as its decimal mark:
// an optional sign, digits with at most one mark, an optional exponent
// introduced by e or E. Anything else is not a number.
TraitReading read_table_trait(std::string_view token, DecimalMark mark);

// Whether a field is one of those forms of a missing value, or empty.
bool is_missing_form(std::string_view token);

// A plain decimal of at most 15 digits ("53.81", "-2.5", "7") with `mark`
// as its decimal mark, as nearly every trait is: its value by one exact
// division. False for any other token, which the full reading then takes.
inline bool read_plain_decimal(std::string_view token, char mark, double& value) {
    const char* p = token.data();
    const char* const end = p + token.size();
    const bool negative = p < end && *p == '-';
    const char* const first = p + negative;
    const char* point = nullptr;
    std::uint64_t digits = 0;
    for (p = first; p < end; ++p) {
        if (is_digit(*p))
            digits = digits * 10 + unsigned(*p - '0');
        else if (*p == mark && !point)
            point = p;
        else
            return false;
    }
    const long digit_count = (end - first) - (point ? 1 : 0);
    if (digit_count == 0 || digit_count > 15) return false;
    value = static_cast<double>(digits) / exact_powers_of_ten[point ? end - point - 1 : 0];
    if (negative) value = -value;
    return true;
}

// read_classic_trait and read_table_trait for the loaders' loops, inline:
// the plain decimal takes no call.
inline TraitReading read_classic_trait_quickly(std::string_view token, bool decimal_comma) {
    TraitReading reading{TraitKind::number, 0};
    if (read_plain_decimal(token, '.', reading.value)) return reading;
    return read_classic_trait(token, decimal_comma);
}

inline TraitReading read_table_trait_quickly(std::string_view token, DecimalMark mark) {
    TraitReading reading{TraitKind::number, 0};
    if (read_plain_decimal(token, static_cast<char>(mark), reading.value)) return reading;
    return read_table_trait(token, mark);
}

// How a field that is not a number under `mark` could still be one: with
// the other decimal mark ("7,80" is 7.80 with a decimal comma), or with
// separators between thousands ("8,400" is 8400). Each reading gives the
// number, in plain digits and a point, and which of the two it takes:
// the other decimal mark, or separators between thousands (with the other
// mark for the fraction when both are there). Those that keep `mark` come
// first. None when the field is no such number.
struct OtherReading {
    std::string number;
    DecimalMark decimal;   // the mark its fraction takes
    char thousands = '\0'; // the separator between thousands, if any
};
std::vector<OtherReading> other_readings(std::string_view token, DecimalMark mark);
