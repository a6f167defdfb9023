#include "input/column_roles.h"

#include "base/ascii_case.h"
#include "base/decimal.h"
#include "base/whole_number.h"
#include "platform/platform.h"
#include "texts/console_texts.h"

#include <algorithm>

namespace {

// The names breeders give each design role's column, the likeliest first.
constexpr std::string_view variety_names[] = {"gen",      "genotype", "geno",   "variety", "var",
                                              "cultivar", "line",     "hybrid", "name",    "entry"};
constexpr std::string_view year_names[] = {"year", "yr", "season"};
constexpr std::string_view location_names[] = {"loc", "loca",        "location", "site",
                                               "env", "environment", "place",    "trial"};
constexpr std::string_view block_names[] = {"rep",  "block",     "blk",
                                            "bloc", "replicate", "replication"};

template <std::size_t N>
std::optional<std::size_t> role_column(const std::vector<std::string>& names,
                                       const std::string_view (&role)[N]) {
    for (std::string_view wanted : role)
        for (std::size_t column = 0; column < names.size(); ++column)
            if (same_ignoring_case(names[column], wanted)) return column;
    return std::nullopt;
}

// A name that --columns takes as it is on any command line: ASCII letters,
// digits, '_', '-' and '.', not digits alone (a column's number), and no
// other column of the same name.
bool plain_name(const std::vector<std::string>& names, std::size_t column) {
    const std::string& name = names[column];
    bool digits_only = true;
    for (char c : name) {
        const bool letter = ascii_lower(c) >= 'a' && ascii_lower(c) <= 'z';
        if (!letter && !is_digit(c) && c != '_' && c != '-' && c != '.') return false;
        digits_only = digits_only && is_digit(c);
    }
    if (name.empty() || digits_only) return false;
    for (std::size_t other = 0; other < names.size(); ++other)
        if (other != column && same_ignoring_case(names[other], name)) return false;
    return true;
}

std::string column_token(const std::vector<std::string>& names, std::size_t column) {
    return plain_name(names, column) ? names[column]
                                     : number_text(static_cast<std::int64_t>(column + 1));
}

// A word (the data file's name, the user's own --columns) as a command line
// takes it: in double quotes when a shell or cmd.exe would split it or read
// something into it; where a POSIX shell would still read something into
// it between double quotes, in single quotes, which cmd.exe doesn't know
// but Windows names can't need. A backslash is a POSIX shell's escape and
// a Windows path's separator.
std::string command_word(std::string_view word) {
    for (char c : word)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return quoted(word);
    const bool backslash = !on_windows() && word.find('\\') != std::string_view::npos;
    if (word.find_first_of(" \t'\"&|<>^%$`!*?;()[]{}~#=") == std::string_view::npos &&
        !word.empty() && !backslash)
        return std::string(word);
    if (on_windows() || (word.find_first_of("\"$`!") == std::string_view::npos && !backslash))
        return '"' + std::string(word) + '"';
    std::string single = "'";
    for (char c : word) single += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return single + "'";
}

} // namespace

// The columns each role's name finds, whether or not another has it too.
static std::optional<std::array<std::size_t, 4>>
named_roles(const std::vector<std::string>& names) {
    const auto variety = role_column(names, variety_names), year = role_column(names, year_names),
               location = role_column(names, location_names),
               block = role_column(names, block_names);
    if (!variety || !year || !location || !block) return std::nullopt;
    return std::array{*variety, *year, *location, *block};
}

std::optional<std::size_t> role_name_twice(const std::vector<std::string>& names) {
    if (const auto roles = named_roles(names))
        for (std::size_t role : *roles)
            for (std::size_t column = 0; column < names.size(); ++column)
                if (column != role && same_ignoring_case(names[column], names[role])) return role;
    return std::nullopt;
}

std::optional<std::array<std::size_t, 4>> design_columns(const std::vector<std::string>& names) {
    if (role_name_twice(names)) return std::nullopt;
    return named_roles(names);
}

// A record's field of the header's column: one place further on where the
// records begin with R's row names; nothing where the record is short.
static const std::string* field_of(const std::vector<std::string>& record,
                                   const std::vector<std::string>& names, std::size_t column) {
    const std::size_t at = column + (record.size() > names.size() ? 1 : 0);
    return at < record.size() ? &record[at] : nullptr;
}

bool mostly_text(const std::vector<std::vector<std::string>>& records,
                 const std::vector<std::string>& names, std::size_t column) {
    std::size_t texts = 0;
    for (const std::vector<std::string>& record : records) {
        const std::string* field = field_of(record, names, column);
        if (!field) continue;
        const WholeNumber number = read_whole_number(field->c_str());
        texts += number.length == 0 || number.length != field->size();
    }
    return 2 * texts > records.size();
}

std::vector<std::size_t> number_columns(const std::vector<std::vector<std::string>>& records,
                                        const std::vector<std::string>& names,
                                        const std::vector<std::size_t>& taken, DecimalMark mark) {
    std::vector<std::size_t> columns;
    for (std::size_t column = 0; column < names.size(); ++column) {
        if (std::find(taken.begin(), taken.end(), column) != taken.end()) continue;
        bool number = false, other = false;
        for (const std::vector<std::string>& record : records) {
            const std::string* field = field_of(record, names, column);
            const TraitKind kind = field ? read_table_trait(*field, mark).kind : TraitKind::missing;
            number = number || kind == TraitKind::number;
            other = other || kind == TraitKind::not_a_number;
        }
        if (number && !other) columns.push_back(column);
    }
    return columns;
}

std::string numbered_columns(const std::vector<std::string>& names,
                             const std::vector<bool>& listed) {
    std::string list;
    for (std::size_t column = 0; column < names.size(); ++column) {
        if (!listed.empty() && !listed[column]) continue;
        if (!list.empty()) list += ", ";
        list +=
            number_text(static_cast<std::int64_t>(column + 1)) + " " + quoted_token(names[column]);
    }
    return list;
}

std::string reading_command(const HeaderSearch& search, std::string_view file, bool named,
                            DecimalMark mark, const std::vector<std::string>& given) {
    const std::vector<std::string>& names = search.names;
    // A Chinese user who copies the command keeps the Chinese texts.
    std::string command = chinese_mode == 1 ? "clustmat c" : "clustmat";
    if (search.line > 1) command += " --skip " + number_text(search.line - 1);
    std::string note;
    if (!given.empty()) {
        std::string columns;
        for (const std::string& column : given) columns += (columns.empty() ? "" : ",") + column;
        command += " --columns " + command_word(columns);
    } else if (!named) {
        const auto roles = design_columns(names);
        if (!roles) {
            command += " --columns V,Y,L,B,T";
            note = compose(texts::command_roles, {{"columns", numbered_columns(names)}});
        } else {
            command += " --columns ";
            std::vector<bool> taken(names.size());
            for (std::size_t role : *roles) {
                command += column_token(names, role) + ",";
                taken[role] = true;
            }
            // The column named yield, or the one column of five left.
            std::optional<std::size_t> trait;
            for (std::size_t column = 0; column < names.size(); ++column)
                if (same_ignoring_case(names[column], "yield") ||
                    (names.size() == 5 && !taken[column]))
                    trait = column;
            if (trait) {
                command += column_token(names, *trait);
            } else {
                command += "TRAIT";
                // Columns whose first record holds a number; with row names
                // the record's fields are one place further on.
                const std::size_t shift = search.first_record.size() > names.size() ? 1 : 0;
                std::vector<bool> numbers(names.size());
                for (std::size_t column = 0; column < names.size(); ++column) {
                    const std::size_t field = column + shift;
                    numbers[column] = !taken[column] && field < search.first_record.size() &&
                                      read_table_trait(search.first_record[field], mark).kind ==
                                          TraitKind::number;
                }
                const std::string list = numbered_columns(names, numbers);
                note = compose(texts::command_trait,
                               {{"columns", list.empty() ? numbered_columns(names) : list}});
            }
        }
    }
    // A name that starts with - would be taken for an option.
    return command + (file.starts_with('-') ? " -- " : " ") + command_word(file) + note;
}
