#include "texts/console_texts.h"

#include "platform/platform.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

int chinese_mode = 0;
bool scripted_run = false;

std::string quoted(std::string_view text, std::size_t shown) {
    return '"' + escaped(text, shown) + '"';
}

std::string escaped(std::string_view text, std::size_t shown) {
    constexpr char hex[] = "0123456789abcdef";
    std::string result;
    for (char c : text.substr(0, shown)) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            result += c;
        } else {
            result += "\\x";
            result += hex[byte >> 4];
            result += hex[byte & 0xF];
        }
    }
    if (text.size() > shown) result += "...";
    return result;
}

std::string quoted_token(std::string_view token) {
    return quoted(file_text(token), token_shown);
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string message;
    const std::string_view* value = values.begin();
    for (std::size_t at; (at = pattern.find("{}")) != std::string_view::npos;) {
        message += pattern.substr(0, at);
        if (value != values.end()) message += *value++;
        pattern.remove_prefix(at + 2);
    }
    return message += pattern;
}

std::string decimal(std::int64_t number) {
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void put_text(std::FILE* stream, std::string_view text) {
    put_console_text(stream, text);
}

void put_in_language(std::FILE* stream, std::string_view english, std::string_view chinese) {
    // An English text is ASCII, which every console shows as it is.
    put_gbk_text(stream, in_language(english, chinese));
}

void print_banner() {
    put_text(stderr, texts::banner_title);
    put_in_language(stderr, texts::banner_en, texts::banner_zh);
}

static void hold_console() {
    hold_console_window(in_language(texts::hold_prompt_en, texts::hold_prompt_zh));
}

void hold_console_at_exit() {
    std::atexit(hold_console);
}

void fatal_exit(std::string_view message) {
    fatal_exit(message, {});
}

void fatal_exit(std::string_view english, std::string_view chinese) {
    if (chinese.empty())
        put_text(stderr, english);
    else
        put_in_language(stderr, english, chinese);
    put_text(stderr, "\n");
    if (!scripted_run)
        for (std::size_t i = 0; i < texts::closing_en.size(); ++i)
            put_in_language(stderr, texts::closing_en[i], texts::closing_zh[i]);
    std::exit(exit_refused);
}
