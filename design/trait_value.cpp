#include "design/trait_value.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>

// The rare number that the quick way can't round exactly: from_chars on a
// copy that spells the exponent with 'e'. A magnitude beyond double's range
// gets strtod's answer (infinity or zero). Kept out of line, so that its
// string does not make every quick conversion set up a frame.
[[gnu::noinline]] static double convert_slowly(bool negative, std::string_view mantissa,
                                               std::string_view exponent) {
    std::string text;
    if (negative) text += '-';
    text += mantissa;
    if (!exponent.empty()) {
        text += 'e';
        text += exponent;
    }
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) return std::strtod(text.c_str(), nullptr);
    return value;
}

double convert_trait(std::string_view token) {
    const char* p = token.data();
    const char* end = p + token.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';

    // Digits are counted from where they end rather than one by one: a trial
    // has millions of these.
    const char* mantissa = p;
    std::uint64_t digits = 0;
    for (; p < end && is_digit(*p); ++p) digits = digits * 10 + unsigned(*p - '0');
    int digit_count = static_cast<int>(p - mantissa);
    int fraction_digits = 0;
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        for (; p < end && is_digit(*p); ++p) digits = digits * 10 + unsigned(*p - '0');
        fraction_digits = static_cast<int>(p - fraction);
        digit_count += fraction_digits;
    }
    if (digit_count == 0) return 0.0;
    std::string_view mantissa_text(mantissa, static_cast<std::size_t>(p - mantissa));

    // The exponent counts only when at least one digit follows its letter.
    std::string_view exponent_text;
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
        const char* q = p + 1;
        bool exponent_negative = false;
        if (q < end && (*q == '+' || *q == '-')) exponent_negative = *q++ == '-';
        if (q < end && is_digit(*q)) {
            for (; q < end && is_digit(*q); ++q)
                if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
            if (exponent_negative) exponent = -exponent;
            exponent_text = std::string_view(p + 1, static_cast<std::size_t>(q - p - 1));
        }
    }

    // Clinger's fast path: an exact integer scaled by an exact power of ten
    // is one correctly rounded operation.
    int scale = exponent - fraction_digits;
    if (digit_count <= 19 && digits <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        double value = scale_by_power_of_ten(static_cast<double>(digits), scale);
        return negative ? -value : value;
    }
    return convert_slowly(negative, mantissa_text, exponent_text);
}
