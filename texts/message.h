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

// A value for one named placeholder: a plain text (a number, a quoted
// token), another message of the catalogue (given in the language of the
// message it goes into), or a name that goes out as names are held, never
// converted like the Chinese around it.
struct Value {
    enum class Kind { text, message, name };
    std::string_view key;
    std::string_view text;
    const Message* message = nullptr;
    Kind kind = Kind::text;

    // Any text, a char array included, is plain text, never a message.
    template <class Text>
    requires std::convertible_to<const Text&, std::string_view> Value(std::string_view key,
                                                                      const Text& text)
        : key(key), text(std::string_view(text)) {}
    Value(std::string_view key, const Message& message)
        : key(key), message(&message), kind(Kind::message) {}
};

// A file or trait name written as typed inside a message (see Value).
inline Value as_name(std::string_view key, std::string_view name) {
    Value value(key, name);
    value.kind = Value::Kind::name;
    return value;
}

// The message in the console's language with its placeholders filled: the
// Chinese as GBK bytes, values and names as they are.
std::string compose(const Message& message, std::initializer_list<Value> values = {});

// Writes the message in the console's language: English whole as names are
// held; Chinese as GBK for the console, with each name between its pieces
// written as names are held (platform/platform.h).
void put_message(std::FILE* stream, const Message& message,
                 std::initializer_list<Value> values = {});
