#include "app/console_texts.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

int chinese_mode = 0;

void put_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
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
    put_text(stderr, message);
    put_text(stderr, "\n");
    for (std::size_t i = 0; i < texts::closing_en.size(); ++i)
        put_in_language(stderr, texts::closing_en[i], texts::closing_zh[i]);
    std::exit(1);
}
