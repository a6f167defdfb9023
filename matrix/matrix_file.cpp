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

std::string choose_matrix_file(const std::optional<std::string>& given, const DataFile& data) {
    const std::string name = given ? *given : matrix_file_name(data.name);
    // A data file named like run1.DIS (or reached through a link under that
    // name) would be replaced by its own matrix.
    FileIdentity identity;
    if (identity_of(name.c_str(), identity) && identity == data.state.identity)
        fatal_exit(fill(given ? texts::output_is_data : texts::would_replace_data,
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
    return name;
}

static void report_failed_write(const std::string& name, const std::string& reason) {
    const std::string shown = quoted(name);
    put_text(stderr, fill(texts::matrix_not_written, {shown, reason, shown}));
}

// Why the matrix could not take its name when all was written: on Windows
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

MatrixFile write_matrix_file(const std::string& name, const TraitCube& cube, Layout layout) {
    MatrixFile matrix;
    matrix.name = name;
    std::FILE* out = stage_file(name, true);
    if (!out) cant_open(creation_failure(name, errno));
    errno = 0;
    if (!write_cluster_matrix(out, cube, layout)) {
        int error_number = errno != 0 ? errno : EIO;
        discard_staged_file();
        report_failed_write(name, std::strerror(error_number));
        return matrix;
    }
    if (!commit_staged_file()) {
        report_failed_write(name, replace_failure(name, errno));
        return matrix;
    }
    // The analysed factor's levels are the columns, the pairs of the other
    // two factors' levels the rows.
    const int analysed = analysed_factor(layout);
    matrix.columns = cube.levels->count(analysed);
    matrix.rows = pairs_occurring(*cube.levels, (analysed + 1) % 3);
    matrix.written = true;
    return matrix;
}
