// A message of the catalogue (texts/console_texts.h) and how it becomes the
// text of the console's language: one entry per message, its English and
// its Chinese side by side with the same named placeholders, so that no
// caller picks a language or fills two patterns.
#pragma once

#include <concepts>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

// 1 selects the Chinese form of the texts that have one; set once at start-up.
extern int chinese_mode;

// "{file}" in a pattern stands for the value named file; "{n?record|records}"
// for the first word when the value named n is "1", else the second, which
// English needs after a count. The Chinese is UTF-8 here and goes out as
// GBK; a message without it (zh empty) is English in both languages.
struct Message {
    std::string_view en;
    std::string_view zh;
    constexpr Message(const char* english, const char* chinese = "") : en(english), zh(chinese) {}
};

// A value for one named placeholder: a text (a number, a quoted token, a
// name, a message composed before), which goes out as names are held, never
// converted like the Chinese around it; or another message of the catalogue
// (given in the language of the message it goes into).
struct Value {
    std::string_view key;
    std::string_view text;
    const Message* message = nullptr;

    // Any text, a char array included, is plain text, never a message.
    template <class Text>
    requires std::convertible_to<const Text&, std::string_view> Value(std::string_view key,
                                                                      const Text& text)
        : key(key), text(std::string_view(text)) {}
    Value(std::string_view key, const Message& message) : key(key), message(&message) {}
};

// A file or trait name written as typed inside a message: a text value,
// which every value that is not a message is (see Value).
inline Value as_name(std::string_view key, std::string_view name) {
    return Value(key, name);
}

// The message in the console's language with its placeholders filled: the
// Chinese as GBK bytes, marked off from the values around it so that
// put_composed writes each part in its own encoding; values as they are.
// A composed text may fill another message, or be joined to another.
std::string compose(const Message& message, std::initializer_list<Value> values = {});

// Writes a composed text: its Chinese as GBK for the console, everything
// else as names are held (platform/platform.h).
void put_composed(std::FILE* stream, std::string_view text);

// A composed text as the bytes a pipe or a file gets: its Chinese as GBK,
// the rest as it is, without the marks between them.
std::string unmarked(std::string_view text);

// Writes the message in the console's language (compose, put_composed).
void put_message(std::FILE* stream, const Message& message,
                 std::initializer_list<Value> values = {});
