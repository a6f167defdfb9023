#include "texts/message.h"

#include "platform/platform.h"
#include "texts/gbk_text.h"

#include <algorithm>

int chinese_mode = 0;

namespace {

// Whether `message` goes out in Chinese: a Chinese console and a Chinese form.
bool in_chinese(const Message& message) {
    return chinese_mode == 1 && !message.zh.empty();
}

// A message being filled: its text so far, in the bytes it goes out in.
// With a stream, a Chinese text goes out piece by piece, each name between
// two pieces as names are held; without one, a name is text too.
struct Filling {
    std::string text;
    std::FILE* stream = nullptr;
};

void expand(const Message& message, bool chinese, std::initializer_list<Value> values,
            Filling& out) {
    std::string_view pattern = chinese ? message.zh : message.en;
    const auto literal = [&](std::string_view part) {
        out.text += chinese ? gbk_from_utf8(part) : std::string(part);
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
        } else if (value->kind == Value::Kind::message) {
            // A message inside another goes in the same language, where it has it.
            expand(*value->message, chinese && !value->message->zh.empty(), {}, out);
        } else if (value->kind == Value::Kind::name && out.stream != nullptr) {
            put_gbk_text(out.stream, out.text);
            put_console_text(out.stream, value->text);
            out.text.clear();
        } else {
            out.text += value->text;
        }
    }
    literal(pattern);
}

} // namespace

std::string compose(const Message& message, std::initializer_list<Value> values) {
    Filling out;
    expand(message, in_chinese(message), values, out);
    return out.text;
}

void put_message(std::FILE* stream, const Message& message, std::initializer_list<Value> values) {
    if (!in_chinese(message)) {
        // An English text is ASCII but for the names in it.
        put_console_text(stream, compose(message, values));
        return;
    }
    Filling out{.text = {}, .stream = stream};
    expand(message, true, values, out);
    put_gbk_text(stream, out.text);
}
