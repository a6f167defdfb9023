#include "matrix/number_format.h"

#include "base/decimal.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

static constexpr int significant_digits = 6;

// Rewrites a two-digit exponent at the end of [text, end) to three digits.
static char* widen_exponent(char* text, char* end) {
    char* e = static_cast<char*>(std::memchr(text, 'e', static_cast<std::size_t>(end - text)));
    if (!e || end - (e + 2) >= 3) return end;
    char* digits = e + 2; // after the sign
    std::memmove(digits + 1, digits, static_cast<std::size_t>(end - digits));
    *digits = '0';
    return end + 1;
}

static char* format_exactly(char* out, double value) {
    char* end = std::to_chars(out, out + g_text_capacity - 1, value, std::chars_format::general,
                              significant_digits)
                    .ptr;
    return widen_exponent(out, end);
}

// The six digits of a number travel as one word, the first digit in its
// lowest byte: no digit goes through memory before it is written out.

// "00" to "99", the first digit in the low byte.
static constexpr auto digit_pairs = [] {
    std::array<std::uint16_t, 100> pairs{};
    for (int i = 0; i < 100; ++i) pairs[i] = std::uint16_t(('0' + i / 10) | ('0' + i % 10) << 8);
    return pairs;
}();

// The six digits of 100000..999999 as text.
static std::uint64_t six_digits(unsigned digits) {
    return digit_pairs[digits / 10000] | std::uint64_t{digit_pairs[digits / 100 % 100]} << 16 |
           std::uint64_t{digit_pairs[digits % 100]} << 32;
}

// Writes all eight bytes of the word, lowest first, and gives the place after
// the first `count` of them.
static char* put_chars(char* out, std::uint64_t text, int count) {
    if constexpr (std::endian::native == std::endian::big) text = __builtin_bswap64(text);
    std::memcpy(out, &text, sizeof text);
    return out + count;
}

// Lays out the six digits of `digits` (100000..999999) with decimal exponent
// `exponent` as %g does, dropping trailing zeros. Eight bytes are written at a
// time, whatever is needed; the bytes past the text's end stay within
// g_text_capacity.
static char* lay_out(char* out, bool negative, unsigned digits, int exponent) {
    std::uint64_t text = six_digits(digits);
    // Trailing zeros are the top bytes that equal '0'; the first digit never does.
    int kept = (71 - std::countl_zero(text ^ 0x303030303030u)) / 8;

    if (negative) *out++ = '-';
    if (exponent < -4 || exponent >= significant_digits) {
        *out++ = static_cast<char>(text);
        if (kept > 1) {
            *out++ = '.';
            out = put_chars(out, text >> 8, kept - 1);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
        *out++ = char('0' + magnitude / 100);
        return put_chars(out, digit_pairs[magnitude % 100], 2);
    }
    if (exponent >= 0) {
        int whole = exponent + 1;
        out = put_chars(out, text, whole);
        if (kept > whole) {
            *out++ = '.';
            out = put_chars(out, text >> (8 * whole), kept - whole);
        }
        return out;
    }
    std::memcpy(out, "0.000", 6); // "0." and up to three zeros
    return put_chars(out + 1 - exponent, text, kept);
}

// floor(log10(magnitude)) or, near a power of ten, one less or more, from the
// binary exponent alone (78913 / 2^18 is log10(2) to seven digits).
static int estimated_exponent(double magnitude) {
    int binary = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
    return (binary * 78913) >> 18;
}

// A matrix holds millions of cells, so the common case avoids the general
// conversion: the value is scaled to six integer digits by one correctly
// rounded operation with an exact power of ten. Where that operation's error
// could change the rounding (near a half, or near a power of ten) the exact
// conversion decides; so does every value whose exponent the estimate missed.
//
// The error bound: the power of ten is exact and the product or quotient is
// rounded once, so `scaled` lies within half an ulp of the true scaled value,
// and below 2^20 half an ulp is 2^-34 (5.8e-11). Rounding the true value and
// `scaled` to the nearest integer can therefore disagree only when the true
// value lies within 5.8e-11 of a half (an error across an integer leaves the
// rounded result as it is). The margin of 1e-6 around .5 covers that bound
// seventeen thousand times over; at both ends of [100000, 999999), where the
// number of digits could change, the exact conversion decides anyway.
char* format_g(char* out, double value) {
    if (value == 0) {
        *out++ = '0';
        return out;
    }
    double magnitude = std::fabs(value);
    int exponent = estimated_exponent(magnitude);
    int scale = significant_digits - 1 - exponent;
    if (scale < -21 || scale > 22) return format_exactly(out, value);
    double scaled = scale_by_power_of_ten(magnitude, scale);
    if (scaled >= 999999.0) {
        // The estimate is one short about a third of the time.
        ++exponent;
        --scale;
        scaled = scale_by_power_of_ten(magnitude, scale);
    }
    if (!(scaled >= 100000.0 && scaled < 999999.0)) return format_exactly(out, value);
    unsigned whole = static_cast<unsigned>(scaled);
    double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return format_exactly(out, value);
    unsigned digits = whole + (fraction > 0.5 ? 1u : 0u);
    return lay_out(out, value < 0, digits, exponent);
}
