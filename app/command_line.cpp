#include "app/command_line.h"

#include "base/ascii_case.h"
#include "base/whole_number.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

// Every option but the questions and --tree takes a value.
static constexpr std::string_view value_options[] = {
    "--columns", "--cells",    "--decimal", "--layout", "--output",  "--skip",    "--method",
    "--groups",  "--min-rows", "--fill",    "--mojena", "--threads", "--encoding"};

// The options that say how the tree is grown, which mean nothing without it.
static constexpr std::string_view tree_options[] = {"--method", "--groups", "--min-rows", "--fill",
                                                    "--centre", "--scale",  "--mojena"};

// Mojena's k: a plain decimal number above 0 ("2.75", "3", "1e0"), finite.
static std::optional<double> mojena_k(std::string_view value) {
    if (value.empty() || value.size() > 40 ||
        value.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return std::nullopt;
    const std::string text(value);
    char* end = nullptr;
    const double k = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(k) || !(k > 0)) return std::nullopt;
    return k;
}

static constexpr std::pair<std::string_view, Linkage> methods[] = {{"ward", Linkage::ward},
                                                                   {"average", Linkage::average},
                                                                   {"complete", Linkage::complete},
                                                                   {"single", Linkage::single}};

// The names are taken in any case: GBK and UTF-8 are written both ways.
static constexpr std::pair<std::string_view, TextEncoding> encodings[] = {
    {"utf-8", TextEncoding::utf8},
    {"gbk", TextEncoding::gbk},
    {"windows-1252", TextEncoding::windows_1252}};

// Checks an option's value and puts it where it belongs; gives the problem
// with it, or nothing.
static std::string take_value(std::string_view name, std::string_view value, CommandLine& line) {
    if (name == "--layout") {
        if (value != "1" && value != "2" && value != "3")
            return compose(texts::bad_layout_option, {{"value", quoted(value, token_shown)}});
        line.layout = static_cast<Layout>(value[0] - '0');
    } else if (name == "--cells") {
        if (value != "last" && value != "mean")
            return compose(texts::bad_cells_option, {{"value", quoted(value, token_shown)}});
        line.load.cell_means = value == "mean";
    } else if (name == "--decimal") {
        if (value != "comma" && value != "point")
            return compose(texts::bad_decimal_option, {{"value", quoted(value, token_shown)}});
        line.load.decimal = value == "comma" ? DecimalMark::comma : DecimalMark::point;
    } else if (name == "--encoding") {
        const auto* encoding = std::ranges::find_if(
            encodings, [&](const auto& known) { return same_ignoring_case(known.first, value); });
        if (encoding == std::end(encodings))
            return compose(texts::bad_encoding_option, {{"value", quoted(value, token_shown)}});
        line.encoding = encoding->second;
    } else if (name == "--skip") {
        const std::optional<int> lines = whole_int(std::string(value));
        if (!lines || *lines < 0)
            return compose(texts::bad_skip_option, {{"value", quoted(value, token_shown)}});
        line.load.skip = *lines;
    } else if (name == "--method") {
        const auto* method =
            std::ranges::find(methods, value, &std::pair<std::string_view, Linkage>::first);
        if (method == std::end(methods))
            return compose(texts::bad_method_option, {{"value", quoted(value, token_shown)}});
        line.tree_options.method = method->second;
    } else if (name == "--fill") {
        if (value != "additive" && value != "none")
            return compose(texts::bad_fill_option, {{"value", quoted(value, token_shown)}});
        line.tree_options.fill = value == "none" ? CellFill::none : CellFill::additive;
    } else if (name == "--mojena") {
        const std::optional<double> k = mojena_k(value);
        if (!k) return compose(texts::bad_mojena_option, {{"value", quoted(value, token_shown)}});
        line.tree_options.mojena = *k;
    } else if (name == "--threads") {
        const std::optional<int> count = whole_int(std::string(value));
        if (!count || *count < 1)
            return compose(texts::bad_threads_option, {{"value", quoted(value, token_shown)}});
        line.threads = *count;
    } else if (name == "--groups" || name == "--min-rows") {
        const std::optional<int> count = whole_int(std::string(value));
        if (!count || *count < 1)
            return compose(name == "--groups" ? texts::bad_groups_option
                                              : texts::bad_min_rows_option,
                           {{"value", quoted(value, token_shown)}});
        if (name == "--groups")
            line.tree_options.groups = *count;
        else
            line.tree_options.min_rows = *count;
    } else if (name == "--columns") {
        line.load.columns.clear();
        for (std::size_t start = 0;;) {
            const std::size_t comma = value.find(',', start);
            line.load.columns.emplace_back(value.substr(start, comma - start));
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        bool named = line.load.columns.size() >= 4;
        for (const std::string& column : line.load.columns) named = named && !column.empty();
        if (!named)
            return compose(texts::bad_columns_option, {{"value", quoted(value, token_shown)}});
        // Four names take every trait there is, each named in its matrix's.
        line.several_traits = line.load.columns.size() != 5;
    } else {
        if (value.empty()) return compose(texts::option_needs_value, {{"option", name}});
        line.output = std::string(value);
    }
    return {};
}

// The threads the machine runs at once; 1 where it can't say.
static int hardware_threads() {
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : static_cast<int>(std::min(count, 1024u));
}

CommandLine read_command_line(const std::vector<std::string>& arguments) {
    CommandLine line;
    line.threads = hardware_threads();
    std::string fault;
    bool options_ended = false;
    // An option given twice is a mistake whichever of the two was meant.
    std::vector<std::string_view> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        std::string problem;
        if (options_ended || arg == "-" || !arg.starts_with("-")) {
            if (!options_ended && (arg == "c" || arg == "C")) {
                line.chinese = true;
            } else if (line.data_file) {
                problem = compose(texts::second_data_file,
                                  {{"file", quoted(arg)}, {"first", quoted(*line.data_file)}});
            } else {
                line.data_file = std::string(arg);
            }
        } else if (arg == "--") {
            options_ended = true;
        } else if (arg == "--help" || arg == "-h" || arg == "--version") {
            if (line.request == Request::run)
                line.request = arg == "--version" ? Request::version : Request::help;
        } else if (arg == "--tree") {
            if (line.tree) problem = compose(texts::option_twice, {{"option", arg}});
            line.tree = true;
        } else if (arg == "--centre" || arg == "--scale") {
            if (std::ranges::find(given, arg) != given.end())
                problem = compose(texts::option_twice, {{"option", arg}});
            given.push_back(arg);
            // Scaled values are centred first.
            line.tree_options.centre = true;
            if (arg == "--scale") line.tree_options.scale = true;
        } else {
            const std::size_t equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            if (std::ranges::find(value_options, name) == std::end(value_options)) {
                problem = compose(texts::unknown_option, {{"option", quoted(arg, token_shown)}});
            } else if (std::ranges::find(given, name) != given.end()) {
                problem = compose(texts::option_twice, {{"option", name}});
                if (equals == std::string_view::npos && i + 1 < arguments.size()) ++i;
            } else if (equals != std::string_view::npos) {
                problem = take_value(name, arg.substr(equals + 1), line);
            } else if (i + 1 < arguments.size()) {
                problem = take_value(name, arguments[++i], line);
            } else {
                problem = compose(texts::option_needs_value, {{"option", name}});
            }
            given.push_back(name);
        }
        if (fault.empty()) fault = problem;
    }
    for (std::string_view option : tree_options)
        if (fault.empty() && !line.tree && std::ranges::find(given, option) != given.end())
            fault = compose(texts::option_needs_tree, {{"option", option}});
    auto is_given = [&](std::string_view option) {
        return std::ranges::find(given, option) != given.end();
    };
    if (fault.empty() && is_given("--mojena") && is_given("--groups"))
        fault = compose(texts::mojena_with_groups);
    line.tree_options.threads = line.threads;
    line.load.threads = line.threads;
    if (line.request == Request::run && !fault.empty()) {
        line.request = Request::usage_error;
        line.usage_error = fault;
    }
    return line;
}

int answer_request(const CommandLine& line) {
    if (line.request == Request::usage_error) {
        put_message(stderr, texts::usage_error, {{"error", line.usage_error}});
        return exit_usage;
    }
    if (line.request == Request::help)
        put_message(stdout, texts::usage);
    else
        put_message(stdout, texts::version_line, {{"version", CLUSTMAT_VERSION}});
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? exit_written : exit_refused;
}
