#include "matrix/number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

static constexpr int significant_digits = 6;

static constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

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

// Lays out the six digits of `digits` (100000..999999) with decimal exponent
// `exponent` as %g does, dropping trailing zeros.
static char* lay_out(char* out, bool negative, unsigned digits, int exponent) {
    char d[significant_digits];
    for (int i = significant_digits - 1; i >= 0; --i, digits /= 10) d[i] = char('0' + digits % 10);
    int kept = significant_digits;
    while (kept > 1 && d[kept - 1] == '0') --kept;

    if (negative) *out++ = '-';
    if (exponent < -4 || exponent >= significant_digits) {
        *out++ = d[0];
        if (kept > 1) {
            *out++ = '.';
            for (int i = 1; i < kept; ++i) *out++ = d[i];
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        *out++ = char('0' + magnitude / 100);
        *out++ = char('0' + magnitude / 10 % 10);
        *out++ = char('0' + magnitude % 10);
    } else if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i) *out++ = d[i];
        if (kept > exponent + 1) {
            *out++ = '.';
            for (int i = exponent + 1; i < kept; ++i) *out++ = d[i];
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) *out++ = '0';
        for (int i = 0; i < kept; ++i) *out++ = d[i];
    }
    return out;
}

// A matrix holds millions of cells, so the common case avoids the general
// conversion: the value is scaled to six integer digits by one correctly
// rounded operation with an exact power of ten. Where that operation's error
// could change the rounding (near a half, or near a power of ten) the exact
// conversion decides.
char* format_g(char* out, double value) {
    if (value == 0) {
        *out++ = '0';
        return out;
    }
    double magnitude = std::fabs(value);
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    int scale = significant_digits - 1 - exponent;
    if (scale < -22 || scale > 22) return format_exactly(out, value);
    double scaled = scale >= 0 ? magnitude * exact_powers[scale] : magnitude / exact_powers[-scale];
    if (!(scaled >= 100000.0 && scaled < 999999.0)) return format_exactly(out, value);
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return format_exactly(out, value);
    unsigned digits = static_cast<unsigned>(whole) + (fraction > 0.5 ? 1u : 0u);
    return lay_out(out, value < 0, digits, exponent);
}
