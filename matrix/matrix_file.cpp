#include "matrix/matrix_file.h"

#include "matrix/output_name.h"
#include "platform/platform.h"
#include "storage/staged_file.h"
#include "texts/console_texts.h"

#include <cerrno>
#include <cstring>

// Ends the run: the matrix file can't be opened, for the reason given.
[[noreturn]] static void cant_open(const std::string& reason) {
    fatal_exit(std::string(texts::output_open_failure) + "\n" + reason);
}

// The reason, in words, why no file can be created under `name`.
static std::string creation_failure(const std::string& name, int error_number) {
    if (error_number == EACCES || error_number == EPERM || error_number == EROFS)
        return fill(texts::matrix_folder_unwritable, {quoted(name)});
    return fill(texts::matrix_cannot_create, {quoted(name), std::strerror(error_number)});
}

// Ends the run unless a file can be written under `name`: a matrix file,
// named with --output when `given`, or a file that goes with one.
enum class OutputKind { matrix, given_matrix, companion };
static void check_name(const std::string& name, const DataFile& data, OutputKind kind) {
    // A data file named like run1.DIS (or reached through a link under that
    // name) would be replaced by its own matrix.
    FileIdentity identity;
    if (identity_of(name.c_str(), identity) && identity == data.state.identity)
        fatal_exit(fill(kind == OutputKind::matrix         ? texts::would_replace_data
                        : kind == OutputKind::given_matrix ? texts::output_is_data
                                                           : texts::companion_is_data,
                        {quoted(name), quoted(data.name)}));
    // A folder, or a file someone protected from writing, is not replaced; a
    // link, a pipe or any other file under the name is replaced, never
    // written through.
    switch (use_of_name(name.c_str())) {
    case NameUse::folder:
        cant_open(fill(texts::matrix_is_folder, {quoted(name)}));
    case NameUse::protected_file:
        cant_open(
            fill(on_windows() ? texts::matrix_read_only_windows : texts::matrix_read_only_posix,
                 {quoted(name), name}));
    case NameUse::held:
        fatal_exit(fill(texts::matrix_held, {quoted(name)}));
    case NameUse::free:
    case NameUse::replaceable:
        break;
    }
    if (!can_stage_file(name)) cant_open(creation_failure(name, errno));
}

std::string choose_matrix_file(const std::optional<std::string>& given, const DataFile& data) {
    const std::string name = given ? *given : matrix_file_name(data.name);
    check_name(name, data, given ? OutputKind::given_matrix : OutputKind::matrix);
    return name;
}

std::vector<std::string> choose_matrix_files(const std::optional<std::string>& given,
                                             const DataFile& data,
                                             const std::vector<TraitColumn>& traits) {
    std::vector<TraitPart> parts;
    for (const TraitColumn& trait : traits) parts.push_back({trait.name, trait.column});
    std::vector<std::string> names =
        trait_matrix_names(given ? matrix_stem_of(*given) : data_file_stem(data.name), parts);
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
        put_text(stderr, fill(texts::matrix_not_written, {shown, reason, shown}));
        return;
    }
    put_text(stderr, fill(texts::files_not_written,
                          {quoted(failed), reason, name_list(names, 0, names.size())}));
}

// Why a file could not take its name when all was written: on Windows
// another program may have opened the old file meanwhile, or someone made it
// read-only.
static std::string replace_failure(const std::string& name, int error_number) {
    if (error_number == EACCES) switch (use_of_name(name.c_str())) {
        case NameUse::held:
            return std::string(texts::matrix_held_meanwhile);
        case NameUse::protected_file:
            return std::string(texts::matrix_read_only_meanwhile);
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
        put_text(stderr, fill(texts::files_partly_replaced,
                              {name_list(names, 0, commit.replaced), quoted(commit.failed), reason,
                               name_list(names, commit.replaced, names.size())}));
    return false;
}
