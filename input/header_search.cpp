#include "input/header_search.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<Separator, 4> separators = {Separator::comma, Separator::semicolon,
                                                 Separator::tab, Separator::blanks};

// The fields of a line split at `separator`; nothing when a quote is left open.
std::optional<std::vector<std::string>> fields_of(std::string_view line, Separator separator) {
    TableLine split;
    if (!split_line(line, separator, split)) return std::nullopt;
    return std::vector<std::string>(
        split.fields.begin(), split.fields.begin() + static_cast<std::ptrdiff_t>(split.count));
}

std::size_t filled(const std::vector<std::string>& fields) {
    std::size_t count = 0;
    for (const std::string& field : fields) count += !field.empty();
    return count;
}

// Whether a line's fields `names` can be a header over a line of `next`:
// five names or more, and as many fields after them or one more (R's row
// names).
bool header_fits(const std::optional<std::vector<std::string>>& names,
                 const std::optional<std::vector<std::string>>& next) {
    return names && next && filled(*names) >= 5 &&
           (next->size() == names->size() || next->size() == names->size() + 1);
}

// A spreadsheet's empty row (",,,,", ";;;;", a line of tabs): no title,
// and skipped where the records are read.
bool empty_row(std::string_view line) {
    TableLine split;
    for (Separator separator : {Separator::comma, Separator::semicolon, Separator::tab})
        if (split_line(line, separator, split) && split.count > 1 && all_fields_empty(split))
            return true;
    return false;
}

// UTF-16 saved without its mark: a zero byte in every other place, the
// ASCII letters of its names in the others.
bool utf16_without_mark(std::string_view line) {
    if (line.size() < 2) return false;
    for (std::size_t parity : {0, 1}) {
        bool zeros = true, letters = false;
        for (std::size_t i = 0; i < line.size() && zeros; ++i) {
            if (i % 2 == parity)
                zeros = line[i] == '\0';
            else
                letters = letters || line[i] != '\0';
        }
        if (zeros && letters) return true;
    }
    return false;
}

// The separator when no line looks like a header: found on the first line
// that is not blank, as a comma (five or more fields at commas), a
// semicolon (five or more at semicolons), a tab, or runs of blanks.
Separator separator_of(std::string_view first_line) {
    for (Separator separator : {Separator::comma, Separator::semicolon}) {
        const auto fields = fields_of(first_line, separator);
        if (fields && fields->size() >= 5) return separator;
    }
    return first_line.find('\t') != std::string_view::npos ? Separator::tab : Separator::blanks;
}

} // namespace

std::optional<HeaderSearch> search_header(DataReader& reader, std::int64_t skipped) {
    HeaderSearch search;
    // The lines that are not blank, and their numbers.
    std::vector<std::string> lines;
    std::vector<std::int64_t> numbers;
    std::string_view line;
    std::int64_t number = skipped;
    while (lines.size() <= header_search_lines && next_text_line(reader, line, number)) {
        if (line.size() > longest_line) break;
        if (lines.empty()) {
            // Blank lines of UTF-16 leave their zero bytes alone on a line.
            if (line.find_first_not_of('\0') == std::string_view::npos) continue;
            if (utf16_without_mark(line)) return std::nullopt;
        }
        if (empty_row(line)) continue;
        lines.emplace_back(line);
        numbers.push_back(number);
    }
    if (lines.empty()) return search;
    search.first_line = numbers[0];
    search.separator = separator_of(lines[0]);
    // A quote left open on a line that names five columns or more but for it.
    for (auto [separator, mark] : {std::pair{Separator::comma, ','}, {Separator::semicolon, ';'}})
        if (std::count(lines[0].begin(), lines[0].end(), mark) >= 4 &&
            !fields_of(lines[0], separator))
            search.first_line_open_quote = true;
    // A line splits the next two lines into its number of fields (or one
    // more); where a record below is faulty, the next line alone decides,
    // and the load names the fault.
    auto fits_below = [&](std::size_t i, Separator separator, bool strict) {
        const auto names = fields_of(lines[i], separator);
        if (!header_fits(names, fields_of(lines[i + 1], separator))) return false;
        if (strict && i + 2 < lines.size() &&
            !header_fits(names, fields_of(lines[i + 2], separator)))
            return false;
        // Words at blanks above a tab-separated header are a title: a line
        // without tabs is not split like the tab lines under it.
        if (separator == Separator::blanks && lines[i].find('\t') == std::string::npos &&
            i + 2 < lines.size() && lines[i + 1].find('\t') != std::string::npos &&
            header_fits(fields_of(lines[i + 1], Separator::tab),
                        fields_of(lines[i + 2], Separator::tab)))
            return false;
        return true;
    };
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            for (Separator separator : separators) {
                const auto names = fields_of(lines[i], separator);
                if (!fits_below(i, separator, pass == 0)) continue;
                // A line above with as many names is the header, and the line
                // after it a faulty record, which the load will name: a title
                // has fewer, and records below a header never move it.
                std::size_t header = i;
                for (std::size_t above = 0; above < i && header == i; ++above)
                    if (header_fits(fields_of(lines[above], separator), names)) header = above;
                search.found = true;
                search.separator = separator;
                search.line = numbers[header];
                search.names = *fields_of(lines[header], separator);
                search.first_record =
                    fields_of(lines[header + 1], separator).value_or(std::vector<std::string>{});
                return search;
            }
        }
    return search;
}

void read_first_records(DataReader& reader, HeaderSearch& search) {
    search.records.clear();
    if (!search.found) return;
    reader_restart(reader);
    reader_skip_lines(reader, search.line);
    std::string_view line;
    std::int64_t number = search.line;
    while (search.records.size() < header_search_lines && next_text_line(reader, line, number)) {
        if (line.size() > longest_line) break;
        if (empty_row(line)) continue;
        if (auto fields = fields_of(line, search.separator)) search.records.push_back(*fields);
    }
}
