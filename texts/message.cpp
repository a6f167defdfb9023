#include "texts/message.h"

#include "platform/platform.h"
#include "texts/gbk_text.h"

#include <algorithm>

int chinese_mode = 0;

bool in_chinese(const Message& message) {
    return chinese_mode == 1 && !message.zh.empty();
}

namespace {

// The pieces of a filled message: text (already in the bytes it goes out
// in) and the names between them.
struct Pieces {
    std::string text;
    void (*on_name)(void* context, const std::string& text, std::string_view name) = nullptr;
    void* context = nullptr;
};

const Value* value_named(std::initializer_list<Value> values, std::string_view key) {
    const auto* found = std::ranges::find(values, key, &Value::key);
    return found == values.end() ? nullptr : found;
}

// Fills `message` in Chinese (GBK) or English into pieces.text, handing each
// name to pieces.on_name where there is one (else a name is text too).
void fill_in(const Message& message, bool chinese, std::initializer_list<Value> values,
             Pieces& pieces) {
    std::string_view pattern = chinese ? message.zh : message.en;
    const auto literal = [&](std::string_view part) {
        pieces.text += chinese ? gbk_from_utf8(part) : std::string(part);
    };
    for (std::size_t open; (open = pattern.find('{')) != std::string_view::npos;) {
        const std::size_t close = pattern.find('}', open);
        if (close == std::string_view::npos) break;
        literal(pattern.substr(0, open));
        std::string_view key = pattern.substr(open + 1, close - open - 1);
        pattern.remove_prefix(close + 1);
        const std::size_t ask = key.find('?');
        std::string_view words = ask == std::string_view::npos ? "" : key.substr(ask + 1);
        key = key.substr(0, ask);
        const Value* value = value_named(values, key);
        if (value == nullptr) continue;
        if (ask != std::string_view::npos) {
            const std::size_t bar = words.find('|');
            literal(value->text == "1" ? words.substr(0, bar) : words.substr(bar + 1));
        } else if (value->kind == Value::Kind::message) {
            // A message inside another goes in the same language, where it has it.
            fill_in(*value->message, chinese && !value->message->zh.empty(), {}, pieces);
        } else if (value->kind == Value::Kind::name && pieces.on_name != nullptr) {
            pieces.on_name(pieces.context, pieces.text, value->text);
            pieces.text.clear();
        } else {
            pieces.text += value->text;
        }
    }
    literal(pattern);
}

} // namespace

std::string compose(const Message& message, std::initializer_list<Value> values) {
    Pieces pieces;
    fill_in(message, in_chinese(message), values, pieces);
    return pieces.text;
}

void put_message(std::FILE* stream, const Message& message, std::initializer_list<Value> values) {
    Pieces pieces;
    if (!in_chinese(message)) {
        // An English text is ASCII but for the names in it.
        fill_in(message, false, values, pieces);
        put_console_text(stream, pieces.text);
        return;
    }
    pieces.context = stream;
    pieces.on_name = [](void* context, const std::string& text, std::string_view name) {
        auto* out = static_cast<std::FILE*>(context);
        put_gbk_text(out, text);
        put_console_text(out, name);
    };
    fill_in(message, true, values, pieces);
    put_gbk_text(stream, pieces.text);
}
