#include "app/console_texts.h"

#include <cstdio>
#include <cstdlib>

int chinese_mode = 0;

void put_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void print_banner() {
    put_text(stderr, texts::banner_title);
    if (chinese_mode == 1) {
        for (auto line : texts::banner_zh) put_text(stderr, line);
    } else {
        for (auto line : texts::banner_en) put_text(stderr, line);
    }
}

void fatal_exit(std::string_view message) {
    put_text(stderr, message);
    put_text(stderr, "\n");
    for (auto line : chinese_mode == 1 ? texts::closing_zh : texts::closing_en)
        put_text(stderr, line);
    std::exit(1);
}
