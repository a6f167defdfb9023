#include "matrix/matrix_file.h"

#include "app/console_texts.h"
#include "design/data_file.h"
#include "design/loader.h"
#include "matrix/output_name.h"
#include "platform/platform.h"
#include "storage/staged_file.h"

#include <cerrno>
#include <cstring>

// A data file named like run1.DIS (or reached through a link under that
// name) would be replaced by its own matrix.
static void refuse_to_overwrite_data(const std::string& output_name) {
    FileIdentity identity;
    if (identity_of(output_name.c_str(), identity) && identity == data_file_state.identity)
        fatal_exit(fill(texts::would_replace_data, {quoted(output_name), quoted(data_file_name)}));
}

// A folder, or a file someone protected from writing, is not replaced; a
// link, a pipe or any other file under the name is replaced, never written
// through.
static std::FILE* open_matrix_file(const std::string& output_name) {
    NameUse use = use_of_name(output_name.c_str());
    std::FILE* out = use == NameUse::folder || use == NameUse::protected_file
                         ? nullptr
                         : stage_file(output_name, true);
    if (!out) fatal_exit(texts::output_open_failure);
    return out;
}

static void report_failed_write(const std::string& output_name, int error_number) {
    const std::string name = quoted(output_name);
    put_text(stderr, fill(texts::matrix_not_written, {name, std::strerror(error_number), name}));
}

MatrixFile write_matrix_file(Layout layout, const std::optional<std::string>& name) {
    MatrixFile matrix;
    matrix.name = name ? *name : matrix_file_name(data_file_name);
    refuse_to_overwrite_data(matrix.name);

    std::FILE* out = open_matrix_file(matrix.name);
    errno = 0;
    if (!write_cluster_matrix(out, layout)) {
        int error_number = errno != 0 ? errno : EIO;
        discard_staged_file();
        report_failed_write(matrix.name, error_number);
        return matrix;
    }
    if (!commit_staged_file()) {
        report_failed_write(matrix.name, errno);
        return matrix;
    }
    // The analysed factor's levels are the columns, the pairs of the other
    // two factors' levels the rows.
    const std::int64_t levels[3] = {nVar, nYear, nLoc};
    const int analysed = static_cast<int>(layout) - 1;
    matrix.columns = levels[analysed];
    matrix.rows = pairs_occurring((analysed + 1) % 3);
    matrix.written = true;
    return matrix;
}
