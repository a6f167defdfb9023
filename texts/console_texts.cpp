#include "texts/console_texts.h"

#include "base/utf8.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

bool scripted_run = false;

// Read by the handler of a failed allocation, when nothing more may be had:
// a fixed buffer, and a reserve it gives back so that the message can be
// put together.
static char memory_use[512];
static void* memory_reserve = nullptr;

// The thread that ends the run. Threads that share a load may meet a fault,
// or run out of memory, at once: the first says why and ends the run, and
// any other waits for that end, so that the message is said once.
static std::atomic<bool> ending{false};
static std::atomic<std::thread::id> ender{};

static void claim_the_end() {
    if (!ending.exchange(true)) {
        ender.store(std::this_thread::get_id());
        return;
    }
    // The ending thread itself may come back (a handler at exit that fails).
    if (ender.load() == std::this_thread::get_id()) return;
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

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

std::string number_text(std::int64_t number) {
    char digits[24];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void put_text(std::FILE* stream, std::string_view text) {
    put_composed(stream, text);
}

void print_banner() {
    put_message(stderr, texts::banner_title);
    put_message(stderr, texts::banner);
}

static void hold_console() {
    hold_console_window(unmarked(compose(texts::hold_prompt)));
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
    claim_the_end();
    std::free(memory_reserve);
    memory_reserve = nullptr;
    // Should the message itself find no memory, the run aborts rather than
    // coming back here.
    std::set_new_handler(nullptr);
    fatal_exit(texts::out_of_memory, {{"use", memory_use}});
}

void end_on_running_out_of_memory() {
    set_memory_use(compose(texts::memory_to_start));
    memory_reserve = std::malloc(std::size_t{1} << 20);
    std::set_new_handler(ran_out_of_memory);
}

// The closing lines, but in a scripted run, and the end of the run.
[[noreturn]] static void close_run() {
    put_text(stderr, "\n");
    if (!scripted_run)
        for (const Message& line : texts::closing) put_message(stderr, line);
    std::exit(exit_refused);
}

void fatal_exit(std::string_view message) {
    claim_the_end();
    put_text(stderr, message);
    close_run();
}

void fatal_exit(const Message& message, std::initializer_list<Value> values) {
    claim_the_end();
    put_message(stderr, message, values);
    close_run();
}
