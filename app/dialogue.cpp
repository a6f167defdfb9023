#include "app/dialogue.h"

#include "app/console_input.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <cerrno>
#include <cstring>
#include <string>

// A name longer than the system takes is refused, never cut short.
[[noreturn]] static void name_too_long() {
    const NameLimit limit = name_limit();
    const std::string length = number_text(static_cast<std::int64_t>(limit.length));
    const int unit = limit.in_bytes ? 0 : 1;
    fatal_exit(texts::name_too_long, {{"length", length}, {"unit", texts::name_units[unit]}});
}

// A name pasted from Explorer's "Copy as path", or dragged into the console,
// comes in quotes and often with a blank after it. The blanks go first; the
// quotes only when no file has the name with them.
static std::string as_pasted(std::string name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    const std::string_view quotes = name_quotes();
    if (name.size() >= 2 && quotes.find(name[0]) != std::string_view::npos &&
        name.back() == name[0] && use_of_name(name.c_str()) == NameUse::free)
        name = name.substr(1, name.size() - 2);
    return name;
}

static std::string read_data_file_name() {
    put_message(stdout, texts::name_prompt);
    std::optional<std::string> line = read_name_line();
    if (!line) name_too_long();
    // A NUL typed into the name ends it, as it would for the system's calls.
    return as_pasted(line->substr(0, line->find('\0')));
}

static int read_template_size(int which) {
    put_message(stdout, texts::template_prompts[which]);
    ConsoleWord answer = read_console_whole_number();
    if (answer.number) return *answer.number;
    const Message& what = texts::size_names[which];
    if (answer.word.empty() && std::feof(stdin))
        fatal_exit(texts::size_not_given, {{"size", what}});
    fatal_exit(texts::size_not_whole,
               {{"size", what}, {"answer", quoted(answer.word, token_shown)}});
}

DataFileAnswer ask_for_data_file(const std::optional<std::string>& given) {
    DataFileAnswer answer;
    if (given) {
        answer.file = open_data_file(*given);
        if (!answer.file)
            fatal_exit(texts::cant_open_data_file,
                       {{"file", quoted(*given)}, {"reason", std::strerror(errno)}});
        return answer;
    }
    answer.template_name = read_data_file_name();
    if ((answer.file = open_data_file(answer.template_name))) {
        put_message(stderr, texts::opened_notice);
        return answer;
    }
    put_message(stderr, texts::create_question);
    const int yes = read_console_char();
    if (yes != 'y' && yes != 'Y') {
        read_console_char(); // normally the line end
        fatal_exit(texts::refusal);
    }
    // A yes typed as a word (yes, Yes) ends with its word: whatever follows
    // on the line is the first size.
    discard_console_word();
    begin_template(answer.template_name);
    for (int i = 0; i < 4; ++i) answer.sizes[i] = read_template_size(i);
    return answer;
}

DataFile open_template(const std::string& name) {
    // The template is read back from its final name, exactly as a data file
    // that existed before.
    std::optional<DataFile> file = open_data_file(name);
    if (!file) data_file_unreadable(name, errno);
    discard_console_line();
    return *file;
}

Layout ask_for_layout(std::optional<Layout> given) {
    if (given) return *given;
    put_message(stdout, texts::analysis_menu);
    std::optional<int> answer = read_console_int();
    if (!answer || *answer < 1 || *answer > 3) {
        put_message(stdout, texts::bad_choice_notice);
        std::fflush(stdout);
        fatal_exit(texts::bad_choice);
    }
    return static_cast<Layout>(*answer);
}
