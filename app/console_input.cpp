#include "app/console_input.h"

#include "base/whole_number.h"
#include "texts/console_texts.h"

#include <cctype>
#include <cstdio>

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

// Skips white space and gives the first character after it.
static int first_after_blanks() {
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c)) {
    }
    return c;
}

std::optional<int> read_console_int() {
    int c = first_after_blanks();
    std::string token;
    if (c == '+' || c == '-') {
        token.push_back(static_cast<char>(c));
        c = std::getchar();
    }
    for (; c != EOF && std::isdigit(c); c = std::getchar()) token.push_back(static_cast<char>(c));
    if (c != EOF) std::ungetc(c, stdin);
    return whole_int(token);
}

ConsoleWord read_console_whole_number() {
    int c = first_after_blanks();
    // Far more than any int needs: a longer word is refused, named by its start.
    ConsoleWord answer;
    bool whole = true;
    for (; c != EOF && !std::isspace(c); c = std::getchar()) {
        if (answer.word.size() <= token_shown)
            answer.word.push_back(static_cast<char>(c));
        else
            whole = false;
    }
    if (c != EOF) std::ungetc(c, stdin);
    if (whole) answer.number = whole_int(answer.word);
    return answer;
}
