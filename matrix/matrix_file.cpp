#include "matrix/matrix_file.h"

#include "base/ascii_case.h"
#include "matrix/output_name.h"
#include "platform/platform.h"
#include "storage/staged_file.h"
#include "texts/console_texts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

// Ends the run: the matrix file can't be opened, for the reason given.
[[noreturn]] static void cant_open(const std::string& reason) {
    fatal_exit(compose(texts::output_open_failure) + "\n" + reason);
}

// The reason, in words, why no file can be created under `name`.
static std::string creation_failure(const std::string& name, int error_number) {
    if (error_number == EACCES || error_number == EPERM || error_number == EROFS)
        return compose(texts::matrix_folder_unwritable, {{"file", quoted(name)}});
    return compose(texts::matrix_cannot_create,
                   {{"file", quoted(name)}, {"reason", std::strerror(error_number)}});
}

void check_name_length(const std::string& name) {
    const NameLimit proper = name_proper_limit(name);
    if (name_length(std::string_view(name).substr(name_proper_start(name))) > proper.length)
        fatal_exit(texts::name_proper_too_long,
                   {{"file", quoted(name)},
                    {"length", number_text(static_cast<std::int64_t>(proper.length))},
                    {"unit", texts::name_units[proper.in_bytes ? 0 : 1]}});
    // The system's limit counts the NUL that ends a name.
    const NameLimit whole = name_limit();
    if (name_length(name) >= whole.length)
        fatal_exit(texts::whole_name_too_long,
                   {{"file", quoted(name)},
                    {"length", number_text(static_cast<std::int64_t>(whole.length) - 1)},
                    {"unit", texts::name_units[whole.in_bytes ? 0 : 1]}});
}

void check_distinct_files(const std::vector<std::vector<std::string>>& files,
                          const std::vector<TraitColumn>& traits) {
    // Each file's name folded to lower case, and its trait.
    std::vector<std::pair<std::string, std::size_t>> folded;
    for (std::size_t k = 0; k < files.size(); ++k)
        for (const std::string& name : files[k]) {
            std::string lower = name;
            for (char& c : lower) c = ascii_lower(c);
            folded.push_back({std::move(lower), k});
        }
    std::sort(folded.begin(), folded.end());
    for (std::size_t i = 1; i < folded.size(); ++i) {
        if (folded[i].first != folded[i - 1].first) continue;
        const std::size_t a = std::min(folded[i].second, folded[i - 1].second);
        const std::size_t b = std::max(folded[i].second, folded[i - 1].second);
        const std::string& lower = folded[i].first;
        // The names as written: the first of each trait's files that folds alike.
        auto written = [&](std::size_t k) {
            for (const std::string& name : files[k])
                if (same_ignoring_case(name, lower)) return name;
            return lower;
        };
        auto column = [&](std::size_t k) {
            return compose(texts::numbered_column,
                           {{"number", number_text(static_cast<std::int64_t>(traits[k].column))},
                            {"name", quoted(traits[k].name)}});
        };
        const std::string name_a = written(a), name_b = written(b);
        if (name_a == name_b)
            fatal_exit(texts::files_one_name,
                       {{"column", column(a)}, {"other", column(b)}, {"file", quoted(name_a)}});
        fatal_exit(texts::files_one_name_case, {{"column", column(a)},
                                                {"other", column(b)},
                                                {"file", quoted(name_a)},
                                                {"other_file", quoted(name_b)}});
    }
}

// Ends the run unless a file can be written under `name`: a matrix file,
// named with --output when `given`, or a file that goes with one.
enum class OutputKind { matrix, given_matrix, companion };
static void check_name(const std::string& name, const DataFile& data, OutputKind kind) {
    check_name_length(name);
    // A data file named like run1.DIS (or reached through a link under that
    // name) would be replaced by its own matrix.
    FileIdentity identity;
    if (identity_of(name.c_str(), identity) && identity == data.state.identity)
        fatal_exit(kind == OutputKind::matrix         ? texts::would_replace_data
                   : kind == OutputKind::given_matrix ? texts::output_is_data
                                                      : texts::companion_is_data,
                   {{"file", quoted(name)}, {"data_file", quoted(data.name)}});
    // A folder, or a file someone protected from writing, is not replaced; a
    // link, a pipe or any other file under the name is replaced, never
    // written through.
    switch (use_of_name(name.c_str())) {
    case NameUse::folder:
        cant_open(compose(texts::matrix_is_folder, {{"file", quoted(name)}}));
    case NameUse::protected_file:
        cant_open(
            compose(on_windows() ? texts::matrix_read_only_windows : texts::matrix_read_only_posix,
                    {{"file", quoted(name)}, {"name", name}}));
    case NameUse::held:
        fatal_exit(texts::matrix_held, {{"file", quoted(name)}});
    case NameUse::free:
    case NameUse::replaceable:
        break;
    }
    if (!can_stage_file(name)) cant_open(creation_failure(name, errno));
}

// Whether --output names a folder, to hold the files under the data file's
// stem: it ends in a separator, or a folder stands under it.
static bool names_a_folder(const std::string& given) {
    return given.empty() || is_path_separator(given.back()) || is_folder(given.c_str());
}

std::string choose_matrix_file(const std::optional<std::string>& given, const DataFile& data) {
    const std::string name = !given                   ? matrix_file_name(data.name)
                             : names_a_folder(*given) ? stem_in_folder(*given, data.name) + ".DIS"
                                                      : *given;
    check_name(name, data, given ? OutputKind::given_matrix : OutputKind::matrix);
    return name;
}

std::vector<std::string> choose_matrix_files(const std::optional<std::string>& given,
                                             const DataFile& data,
                                             const std::vector<TraitColumn>& traits) {
    std::vector<TraitPart> parts;
    for (const TraitColumn& trait : traits) parts.push_back({trait.name, trait.column});
    const std::string stem = !given                   ? data_file_stem(data.name)
                             : names_a_folder(*given) ? stem_in_folder(*given, data.name)
                                                      : matrix_stem_of(*given);
    std::vector<std::string> names = trait_matrix_names(stem, parts);
    for (const std::string& name : names)
        check_name(name, data, given ? OutputKind::given_matrix : OutputKind::matrix);
    return names;
}

void check_output_name(const std::string& name, const DataFile& data) {
    check_name(name, data, OutputKind::companion);
}

// The names of files, quoted, one after another.
static std::string name_list(const std::vector<std::string>& names, std::size_t from,
                             std::size_t to) {
    std::string list;
    for (std::size_t i = from; i < to; ++i) list += (i > from ? ", " : "") + quoted(names[i]);
    return list;
}

// A write or a commit that failed, before any file took its name: one
// matrix says it as it always has, a set names the file and every other.
static void report_failed_write(const std::vector<std::string>& names, const std::string& failed,
                                const std::string& reason) {
    if (names.size() == 1) {
        const std::string shown = quoted(names[0]);
        put_message(stderr, texts::matrix_not_written, {{"file", shown}, {"reason", reason}});
        return;
    }
    put_message(stderr, texts::files_not_written,
                {{"file", quoted(failed)},
                 {"reason", reason},
                 {"files", name_list(names, 0, names.size())}});
}

// Why a file could not take its name when all was written: on Windows
// another program may have opened the old file meanwhile, or someone made it
// read-only.
static std::string replace_failure(const std::string& name, int error_number) {
    if (error_number == EACCES) switch (use_of_name(name.c_str())) {
        case NameUse::held:
            return compose(texts::matrix_held_meanwhile);
        case NameUse::protected_file:
            return compose(texts::matrix_read_only_meanwhile);
        default:
            break;
        }
    return std::strerror(error_number);
}

// Stages a file under `name` and writes it with `write`. A file that can't
// be created ends the run; a write that fails is told (naming `all`), every
// staged file removed, and gives false.
template <class Write>
static bool stage_written(const std::string& name, bool binary, const std::vector<std::string>& all,
                          Write write) {
    std::FILE* out = stage_file(name, true, binary);
    if (!out) {
        const int error = errno;
        discard_staged_files();
        cant_open(creation_failure(name, error));
    }
    errno = 0;
    if (!write(out)) {
        const int error_number = errno != 0 ? errno : EIO;
        discard_staged_files();
        report_failed_write(all, name, std::strerror(error_number));
        return false;
    }
    return true;
}

std::optional<std::vector<MatrixFile>> stage_matrix_files(const std::vector<std::string>& names,
                                                          const Trial& trial, Layout layout,
                                                          const std::vector<std::string>& all) {
    std::vector<MatrixFile> files;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const TraitCube& cube = trial.traits[k];
        if (!stage_written(names[k], false, all,
                           [&](std::FILE* out) { return write_cluster_matrix(out, cube, layout); }))
            return std::nullopt;
        // The analysed factor's levels are the columns, the pairs of the
        // other two factors' levels the rows.
        const int analysed = analysed_factor(layout);
        files.push_back({names[k], names.size() > 1 ? cube.trait : std::string(),
                         pairs_occurring(*cube.levels, (analysed + 1) % 3),
                         cube.levels->count(analysed)});
    }
    return files;
}

bool stage_text_file(const std::string& name, std::string_view text, bool binary,
                     const std::vector<std::string>& all) {
    return stage_written(name, binary, all, [&](std::FILE* out) {
        return std::fwrite(text.data(), 1, text.size(), out) == text.size() && !std::ferror(out);
    });
}

bool commit_output_files(const std::vector<std::string>& names) {
    const StagedCommit commit = commit_staged_files();
    if (commit.done) return true;
    const std::string reason = replace_failure(commit.failed, commit.error);
    if (commit.replaced == 0)
        report_failed_write(names, commit.failed, reason);
    else
        put_message(stderr, texts::files_partly_replaced,
                    {{"replaced", name_list(names, 0, commit.replaced)},
                     {"failed", quoted(commit.failed)},
                     {"reason", reason},
                     {"unreplaced", name_list(names, commit.replaced, names.size())}});
    return false;
}
