#include "texts/message.h"

#include "platform/platform.h"
#include "texts/gbk_text.h"

#include <algorithm>

int chinese_mode = 0;

namespace {

// In a composed text the Chinese is held as GBK between these two control
// bytes (shift out, shift in), and everything else (names, tokens, numbers)
// as names are held: a refusal put together from pieces and passed on as a
// string still writes each part in its own encoding. quoted() and the
// command a message suggests write control bytes as \xNN, so no name or
// token in a message holds them.
constexpr char gbk_start = '\x0E', gbk_end = '\x0F';

// Whether `message` goes out in Chinese: a Chinese console and a Chinese form.
bool in_chinese(const Message& message) {
    return chinese_mode == 1 && !message.zh.empty();
}

void expand(const Message& message, bool chinese, std::initializer_list<Value> values,
            std::string& out) {
    std::string_view pattern = chinese ? message.zh : message.en;
    const auto literal = [&](std::string_view part) {
        if (!chinese || part.empty())
            out += part;
        else
            out += gbk_start + gbk_from_utf8(part) + gbk_end;
    };
    for (std::size_t open; (open = pattern.find('{')) != std::string_view::npos;) {
        const std::size_t close = pattern.find('}', open);
        if (close == std::string_view::npos) break;
        literal(pattern.substr(0, open));
        std::string_view key = pattern.substr(open + 1, close - open - 1);
        pattern.remove_prefix(close + 1);
        const std::size_t ask = key.find('?');
        const std::string_view words = ask == std::string_view::npos ? "" : key.substr(ask + 1);
        key = key.substr(0, ask);
        const auto* value = std::ranges::find(values, key, &Value::key);
        if (value == values.end()) continue;
        if (ask != std::string_view::npos) {
            const std::size_t bar = words.find('|');
            literal(value->text == "1" ? words.substr(0, bar) : words.substr(bar + 1));
        } else if (value->message != nullptr) {
            // A message inside another goes in the same language, where it has it.
            expand(*value->message, chinese && !value->message->zh.empty(), {}, out);
        } else {
            out += value->text;
        }
    }
    literal(pattern);
}

} // namespace

std::string compose(const Message& message, std::initializer_list<Value> values) {
    std::string out;
    expand(message, in_chinese(message), values, out);
    return out;
}

void put_composed(std::FILE* stream, std::string_view text) {
    for (;;) {
        const std::size_t start = text.find(gbk_start);
        if (start != 0) put_console_text(stream, text.substr(0, start));
        if (start == std::string_view::npos) return;
        text.remove_prefix(start + 1);
        const std::size_t end = text.find(gbk_end);
        put_gbk_text(stream, text.substr(0, end));
        if (end == std::string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

std::string unmarked(std::string_view text) {
    std::string bytes;
    for (char c : text)
        if (c != gbk_start && c != gbk_end) bytes += c;
    return bytes;
}

void put_message(std::FILE* stream, const Message& message, std::initializer_list<Value> values) {
    put_composed(stream, compose(message, values));
}
