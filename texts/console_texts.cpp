#include "texts/console_texts.h"

#include "base/utf8.h"
#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

int chinese_mode = 0;
bool scripted_run = false;

// Read by the handler of a failed allocation, when nothing more may be had:
// a fixed buffer, and a reserve it gives back so that the message can be
// put together.
static char memory_use[512];
static void* memory_reserve = nullptr;

std::string quoted(std::string_view text, std::size_t shown) {
    return '"' + escaped(text, shown) + '"';
}

std::string escaped(std::string_view text, std::size_t shown) {
    constexpr char hex[] = "0123456789abcdef";
    std::string result;
    for (char c : text.substr(0, utf8_cut(text, shown))) {
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

std::string counted(std::int64_t number, const std::array<std::string_view, 2>& words) {
    return decimal(number) + " " + std::string(words[number == 1 ? 0 : 1]);
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

void set_memory_use(std::string_view what) {
    const std::size_t size = utf8_cut(what, sizeof memory_use - 1);
    std::memcpy(memory_use, what.data(), size);
    memory_use[size] = '\0';
}

static void ran_out_of_memory() {
    std::free(memory_reserve);
    memory_reserve = nullptr;
    // Should the message itself find no memory, the run aborts rather than
    // coming back here.
    std::set_new_handler(nullptr);
    fatal_exit(fill(texts::out_of_memory, {memory_use}));
}

void end_on_running_out_of_memory() {
    set_memory_use(texts::memory_to_start);
    memory_reserve = std::malloc(std::size_t{1} << 20);
    std::set_new_handler(ran_out_of_memory);
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
