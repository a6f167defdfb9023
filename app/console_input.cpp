#include "app/console_input.h"

#include "design/decimal.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>

std::optional<std::string> read_console_line(std::size_t max_length) {
    std::fflush(stdout);
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
        // One character past the limit is allowed only if it is the carriage
        // return of a CR LF line end.
        if (line.size() > max_length) return std::nullopt;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > max_length) return std::nullopt;
    return line;
}

int read_console_char() {
    std::fflush(stdout);
    return std::getchar();
}

void discard_console_line() {
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
}

void discard_console_word() {
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && !std::isspace(c)) {
    }
}

ConsoleInt read_console_int() {
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c)) {
    }
    std::string token;
    if (c == '+' || c == '-') {
        token.push_back(static_cast<char>(c));
        c = std::getchar();
    }
    while (c != EOF && std::isdigit(c)) {
        token.push_back(static_cast<char>(c));
        c = std::getchar();
    }
    if (c != EOF) std::ungetc(c, stdin);

    ConsoleInt result{false, 0, {}};
    const char* first = token.data();
    if (!token.empty() && token[0] == '+') ++first;
    auto [end, ec] = std::from_chars(first, token.data() + token.size(), result.value);
    if (ec == std::errc() && end == token.data() + token.size()) {
        result.ok = true;
        return result;
    }
    // Keep a short sample of the offending answer for the message.
    result.bad_token = token;
    for (c = std::getchar(); c != EOF && !std::isspace(c) && result.bad_token.size() < 40;
         c = std::getchar())
        result.bad_token.push_back(static_cast<char>(c));
    if (c != EOF) std::ungetc(c, stdin);
    return result;
}

ConsoleInt read_console_whole_number() {
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c)) {
    }
    // Far more than any int needs: a longer word is refused, named by its start.
    constexpr std::size_t sample_length = 40;
    std::string word;
    bool whole = true;
    for (; c != EOF && !std::isspace(c); c = std::getchar()) {
        if (word.size() < sample_length)
            word.push_back(static_cast<char>(c));
        else
            whole = false;
    }
    if (c != EOF) std::ungetc(c, stdin);

    ConsoleInt result{false, 0, {}};
    const bool sign = !word.empty() && (word[0] == '+' || word[0] == '-');
    const char* digits = word.data() + sign;
    const char* end = word.data() + word.size();
    const bool all_digits = digits != end && std::all_of(digits, end, is_digit);
    if (whole && all_digits) {
        // from_chars takes a minus sign but no plus sign.
        const char* first = word[0] == '+' ? digits : word.data();
        if (std::from_chars(first, end, result.value).ec == std::errc()) {
            result.ok = true;
            return result;
        }
    }
    result.bad_token = std::move(word);
    if (!whole) result.bad_token += "...";
    return result;
}
