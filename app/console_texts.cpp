#include "app/console_texts.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

int chinese_mode = 0;

void put_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void put_in_language(std::FILE* stream, std::string_view english, std::string_view chinese) {
    if (chinese_mode == 1)
        put_gbk_text(stream, chinese);
    else
        put_text(stream, english);
}

void print_banner() {
    put_text(stderr, texts::banner_title);
    put_in_language(stderr, texts::banner_en, texts::banner_zh);
}

void fatal_exit(std::string_view message) {
    put_text(stderr, message);
    put_text(stderr, "\n");
    for (std::size_t i = 0; i < texts::closing_en.size(); ++i)
        put_in_language(stderr, texts::closing_en[i], texts::closing_zh[i]);
    std::exit(1);
}
