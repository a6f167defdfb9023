#include "app/dialogue.h"

#include "app/console_input.h"
#include "app/console_texts.h"
#include "design/data_file.h"

#include <cerrno>
#include <cstring>
#include <string>

// The name holds at most 31 characters, as the data files of old DOS
// installations were named; a longer one is refused, never cut short.
static constexpr std::size_t longest_name = 31;

static std::string read_data_file_name() {
    put_in_language(stdout, texts::name_prompt_en, texts::name_prompt_zh);
    auto line = read_console_line(longest_name);
    if (!line) fatal_exit(texts::name_too_long);
    // A NUL typed into the name ends it, as it would for the system's calls.
    return line->substr(0, line->find('\0'));
}

static int read_template_size(int which) {
    put_text(stdout, texts::template_prompts[which]);
    ConsoleWord answer = read_console_whole_number();
    if (answer.number) return *answer.number;
    const std::string_view what = texts::size_names[which];
    if (answer.word.empty() && std::feof(stdin)) fatal_exit(fill(texts::size_not_given, {what}));
    fatal_exit(fill(texts::size_not_whole, {what, quoted(answer.word, token_shown)}));
}

std::optional<TemplateSizes> ask_for_data_file(const std::optional<std::string>& given) {
    if (given && !open_data_file(*given))
        fatal_exit(fill(texts::cant_open_data_file, {quoted(*given), std::strerror(errno)}));
    if (given || open_data_file(read_data_file_name())) {
        put_text(stderr, texts::opened_notice);
        return std::nullopt;
    }
    put_in_language(stderr, texts::create_question_en, texts::create_question_zh);
    int answer = read_console_char();
    if (answer != 'y' && answer != 'Y') {
        read_console_char(); // normally the line end
        fatal_exit(texts::refusal);
    }
    // A yes typed as a word (yes, Yes) ends with its word: whatever follows
    // on the line is the first size.
    discard_console_word();
    begin_template();
    TemplateSizes sizes;
    for (int i = 0; i < 4; ++i) sizes[i] = read_template_size(i);
    return sizes;
}

void open_template() {
    // The template is read back from its final name, exactly as a data file
    // that existed before.
    if (!open_data_file(data_file_name)) data_file_unreadable(errno);
    discard_console_line();
}

Layout ask_for_layout(std::optional<Layout> given) {
    if (given) return *given;
    put_text(stdout, texts::analysis_menu);
    std::optional<int> answer = read_console_int();
    if (!answer || *answer < 1 || *answer > 3) {
        put_text(stdout, texts::bad_choice_notice);
        std::fflush(stdout);
        fatal_exit(texts::bad_choice);
    }
    return static_cast<Layout>(*answer);
}
