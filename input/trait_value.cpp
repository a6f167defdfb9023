#include "input/trait_value.h"

#include "base/ascii_case.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>

// The rare number that the quick way can't round exactly: from_chars on a
// copy that spells the decimal mark '.' and the exponent with 'e'. A
// magnitude beyond double's range gets strtod's answer (infinity or zero).
// Kept out of line, so that its string does not make every quick
// conversion set up a frame.
[[gnu::noinline]] static double convert_slowly(bool negative, std::string_view whole,
                                               std::string_view fraction,
                                               std::string_view exponent) {
    std::string text;
    if (negative) text += '-';
    text += whole;
    text += '.';
    text += fraction;
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

namespace {

// The decimal number at the start of a token: how many bytes it takes (0
// when its mantissa has no digit) and its value.
struct NumberScan {
    std::size_t length = 0;
    double value = 0;
};

NumberScan scan_number(std::string_view token, char mark, bool fortran_exponent) {
    const char* p = token.data();
    const char* const end = p + token.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';

    // Digits are counted from where they end rather than one by one: a trial
    // has millions of these.
    const char* const whole = p;
    std::uint64_t digits = 0;
    for (; p < end && is_digit(*p); ++p) digits = digits * 10 + unsigned(*p - '0');
    const char* const whole_end = p;
    const char* fraction = p;
    if (p < end && *p == mark) {
        fraction = ++p;
        for (; p < end && is_digit(*p); ++p) digits = digits * 10 + unsigned(*p - '0');
    }
    const int fraction_digits = static_cast<int>(p - fraction);
    const int digit_count = static_cast<int>(whole_end - whole) + fraction_digits;
    if (digit_count == 0) return {};
    const char* const mantissa_end = p;

    // The exponent counts only when at least one digit follows its letter.
    std::string_view exponent_text;
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E' || (fortran_exponent && (*p == 'd' || *p == 'D')))) {
        const char* q = p + 1;
        bool exponent_negative = false;
        if (q < end && (*q == '+' || *q == '-')) exponent_negative = *q++ == '-';
        if (q < end && is_digit(*q)) {
            for (; q < end && is_digit(*q); ++q)
                if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
            if (exponent_negative) exponent = -exponent;
            exponent_text = std::string_view(p + 1, static_cast<std::size_t>(q - p - 1));
            p = q;
        }
    }
    NumberScan scan;
    scan.length = static_cast<std::size_t>(p - token.data());

    // Clinger's fast path: an exact integer scaled by an exact power of ten
    // is one correctly rounded operation.
    const int scale = exponent - fraction_digits;
    if (digit_count <= 19 && digits <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        scan.value = scale_by_power_of_ten(static_cast<double>(digits), scale);
        if (negative) scan.value = -scan.value;
    } else {
        scan.value = convert_slowly(
            negative, std::string_view(whole, static_cast<std::size_t>(whole_end - whole)),
            std::string_view(fraction, static_cast<std::size_t>(mantissa_end - fraction)),
            exponent_text);
    }
    return scan;
}

// [sign] digits , digits: what --decimal comma makes a number in a classic file.
bool comma_decimal(std::string_view token) {
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) token.remove_prefix(1);
    const std::size_t comma = token.find(',');
    if (comma == 0 || comma == std::string_view::npos || comma + 1 == token.size()) return false;
    for (std::size_t i = 0; i < token.size(); ++i)
        if (i != comma && !is_digit(token[i])) return false;
    return true;
}

// What spreadsheets, R, SAS, Genstat and Minitab write for a missing value.
constexpr std::string_view missing_forms[] = {"", "NA", "N/A", "NaN", "#N/A", ".", "-", "*"};

} // namespace

bool is_missing_form(std::string_view token) {
    if (token.size() > 4) return false;
    for (std::string_view form : missing_forms)
        if (same_ignoring_case(token, form)) return true;
    return false;
}

TraitReading read_classic_trait(std::string_view token, bool decimal_comma) {
    const NumberScan scan = scan_number(token, '.', true);
    if (scan.length == 0) return {TraitKind::missing, 0};
    if (scan.length == token.size()) return {TraitKind::number, scan.value};
    if (decimal_comma && comma_decimal(token))
        return {TraitKind::number, scan_number(token, ',', false).value};
    return {TraitKind::not_a_number, 0};
}

TraitReading read_table_trait(std::string_view token, DecimalMark mark) {
    if (is_missing_form(token)) return {TraitKind::missing, 0};
    const NumberScan scan = scan_number(token, static_cast<char>(mark), false);
    if (scan.length == 0 || scan.length != token.size()) return {TraitKind::not_a_number, 0};
    return {TraitKind::number, scan.value};
}

// Digits in groups separated by points and commas, as the readings below
// take them apart: the groups, and the separator after each but the last.
struct Grouping {
    std::vector<std::string_view> groups;
    std::string separators;
};

static bool take_groups(std::string_view digits, Grouping& out) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= digits.size(); ++i) {
        if (i < digits.size() && is_digit(digits[i])) continue;
        if (i == start) return false; // an empty group, or a byte that is no digit or separator
        out.groups.push_back(digits.substr(start, i - start));
        if (i < digits.size()) {
            if (digits[i] != '.' && digits[i] != ',') return false;
            out.separators += digits[i];
        }
        start = i + 1;
    }
    return true;
}

// Whether groups [0, count) are thousands: one to three digits, then three each.
static bool thousands(const Grouping& grouping, std::size_t count) {
    if (grouping.groups[0].size() > 3) return false;
    for (std::size_t i = 1; i < count; ++i)
        if (grouping.groups[i].size() != 3) return false;
    return true;
}

std::vector<OtherReading> other_readings(std::string_view token, DecimalMark mark) {
    std::string sign;
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        if (token[0] == '-') sign = "-";
        token.remove_prefix(1);
    }
    const auto other_mark = mark == DecimalMark::point ? DecimalMark::comma : DecimalMark::point;
    // The other mark at one end only: ",5" and "5," as the other mark reads them.
    const char other = static_cast<char>(other_mark);
    if (token.size() > 1 && (token.front() == other) != (token.back() == other)) {
        const std::string_view digits =
            token.front() == other ? token.substr(1) : token.substr(0, token.size() - 1);
        if (std::all_of(digits.begin(), digits.end(), is_digit))
            return {
                {sign + (token.front() == other ? "0." : "") + std::string(digits), other_mark}};
    }
    Grouping grouping;
    if (!take_groups(token, grouping) || grouping.separators.empty()) return {};
    const std::string& separators = grouping.separators;
    const std::size_t count = grouping.groups.size();
    auto joined = [&](std::size_t whole_groups) {
        std::string number = sign;
        for (std::size_t i = 0; i < count; ++i) {
            if (i == whole_groups) number += '.';
            number += grouping.groups[i];
        }
        return number;
    };
    std::vector<OtherReading> readings;
    const char last = separators.back();
    const bool one_kind = separators.find_first_not_of(last) == std::string::npos;
    // The last separator as the decimal mark, any before it between thousands.
    if (count == 2 && static_cast<DecimalMark>(last) == other_mark)
        readings.push_back({joined(1), other_mark});
    if (count > 2 && separators.find(last) == count - 2 && thousands(grouping, count - 1))
        readings.push_back({joined(count - 1), static_cast<DecimalMark>(last), separators[0]});
    // Every separator between thousands: a whole number.
    if (one_kind && thousands(grouping, count)) readings.push_back({joined(count), mark, last});
    // The readings that keep the file's own decimal mark first: the file's
    // mark is the likelier one, and the option that changes it would read
    // the file's other numbers wrongly without a word.
    std::stable_partition(readings.begin(), readings.end(),
                          [mark](const OtherReading& reading) { return reading.decimal == mark; });
    return readings;
}
