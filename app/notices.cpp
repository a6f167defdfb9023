#include "app/notices.h"

#include "platform/platform.h"
#include "texts/console_texts.h"

#include <array>
#include <string>

// Tells which file now holds the matrix and how large it is, so that a
// breeder finds it and can check it against the trial.
void announce_matrix(const MatrixFile& matrix) {
    const std::string fields[3] = {matrix.name, decimal(matrix.rows), decimal(matrix.columns)};
    for (std::size_t i = 0; i < 4; ++i) {
        // The name goes out as names do (platform/platform.h), the text
        // around it in the console's language.
        put_in_language(stderr, texts::matrix_written_en[i], texts::matrix_written_zh[i]);
        if (i < 3) put_text(stderr, fields[i]);
        if (i == 0 && !matrix.trait.empty())
            put_text(stderr, fill(texts::matrix_trait, {quoted(matrix.trait, token_shown)}));
    }
}

// A number and its English word: "1 record", "2 records".
static std::string counted(std::int64_t number, const std::array<std::string_view, 2>& words) {
    return decimal(number) + " " + std::string(words[number == 1 ? 0 : 1]);
}

// Tells what a table's load read, so that a breeder sees at once whether
// the file was read as meant: how many records and levels, and how many
// trait values were observations, missing or zero.
void account_for(const Trial& trial) {
    if (!trial.table) return;
    const CubeLevels& levels = *trial.traits.front().levels;
    const bool chinese = chinese_mode == 1;
    std::string read =
        chinese ? fill(texts::account_read_zh, {decimal(trial.records), decimal(levels.nVar),
                                                decimal(levels.nYear), decimal(levels.nLoc)})
                : fill(texts::account_read_en, {counted(trial.records, texts::record_words),
                                                counted(levels.nVar, texts::variety_words),
                                                counted(levels.nYear, texts::year_words),
                                                counted(levels.nLoc, texts::location_words)});
    if (trial.repeated_headers > 0)
        read += chinese ? fill(texts::account_repeated_zh, {decimal(trial.repeated_headers)})
                        : fill(texts::account_repeated_en,
                               {counted(trial.repeated_headers, texts::header_words)});
    put_gbk_text(stderr, read + ".\n");
    for (const TraitCube& cube : trial.traits) {
        std::string counts =
            chinese ? fill(texts::account_trait_zh, {decimal(cube.values), decimal(cube.missing)})
                    : fill(texts::account_trait_en,
                           {counted(cube.values, texts::value_words), decimal(cube.missing)});
        if (cube.zeros > 0)
            counts += chinese
                          ? fill(texts::account_zeros_zh, {decimal(cube.zeros)})
                          : fill(texts::account_zeros_en, {counted(cube.zeros, texts::zero_words)});
        // The trait's name goes out as names do (platform/platform.h), the
        // text around it in the console's language.
        put_text(stderr, escaped(cube.trait, token_shown));
        put_gbk_text(stderr, counts + ".\n");
    }
}
