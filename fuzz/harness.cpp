// One whole run of clustmat on a fuzzer's input, in a directory of its own,
// aborting when the run breaks a property every run must keep:
//   - it ends with status 0 and a complete matrix file, status 1 through
//     fatal_exit, or status -1 after the matrix could not be written;
//   - the data file it read is unchanged;
//   - a run that failed leaves no file that looks like a matrix.
// A run that never ends is caught by the fuzzer's time limit, a signal by the
// fuzzer itself.
//
//   clustmat_fuzz data      standard input: one layout byte, then a data file,
//                           analysed through the usual answers
//   clustmat_fuzz dialogue  standard input: the console answers, against a
//                           small fixed data file
//   clustmat_fuzz reader    standard input: one byte for a buffer size of 1 to
//                           16, then data; the data reader must give the same
//                           tokens as with its full-size buffer, where data
//                           files of a few kilobytes never reach a refill
#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "design/data_reader.h"
#include "design/loader.h"
#include "matrix/analysis_choice.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char data_name[] = "d.dat";
const std::string fixed_data = "Var Year Loca Blk Trait\n"
                               "1 1 1 1 3.5\n2 1 1 1 5\n1 2 1 1 .\n2 2 1 2 7e-3\n"
                               "1 1 2 1 -4\n2 2 2 1 1d2\n";

std::string data_bytes; // the data file as it was before the run

[[noreturn]] void violated(const char* property) {
    std::fprintf(stderr, "\nfuzz harness: %s\n", property);
    std::abort();
}

bool slurp(const char* path, std::string& bytes) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    bytes.clear();
    char block[1 << 16];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, got);
    std::fclose(f);
    return true;
}

void spill(const char* path, const std::string& bytes) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f))
        violated("can't prepare the run directory");
}

// Each run starts from an empty directory, reused by every run of one fuzzer
// (they run one after another) and named after it.
void enter_run_directory() {
    const char* base = std::getenv("CLUSTMAT_FUZZ_DIR");
    std::string dir =
        std::string(base ? base : "/tmp") + "/clustmat-fuzz." + std::to_string(getppid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) violated("can't make the run directory");
    if (chdir(dir.c_str()) != 0) violated("can't enter the run directory");
    DIR* d = opendir(".");
    if (!d) violated("can't list the run directory");
    while (dirent* entry = readdir(d))
        if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, ".."))
            if (unlink(entry->d_name) != 0 && rmdir(entry->d_name) != 0)
                violated("can't empty the run directory");
    closedir(d);
}

// Typed names may lead anywhere, and the fuzzer runs as root: the dialogue
// sees nothing but its own directory.
void confine() {
    if (chroot(".") != 0) violated("can't confine the run (the dialogue target needs root)");
    if (chdir("/") != 0) violated("can't enter the confined directory");
}

std::string expected_matrix_name() {
    std::string name = data_file_name;
    if (name.size() >= 4) name.resize(name.size() - 4);
    return name + ".DIS";
}

bool looks_like_matrix(const std::string& bytes) {
    return bytes.compare(0, 7, "ClustID") == 0;
}

// Every regular file left in the directory, the data file excepted, that
// begins like a matrix.
int matrices_left() {
    int found = 0;
    DIR* d = opendir(".");
    if (!d) violated("can't list the run directory");
    while (dirent* entry = readdir(d)) {
        std::string bytes;
        struct stat info;
        if (std::strcmp(entry->d_name, data_name) != 0 && lstat(entry->d_name, &info) == 0 &&
            S_ISREG(info.st_mode) && slurp(entry->d_name, bytes) && looks_like_matrix(bytes))
            ++found;
    }
    closedir(d);
    return found;
}

void check_data_file_kept() {
    std::string now;
    if (!slurp(data_name, now) || now != data_bytes) violated("the data file was changed");
}

// The matrix must hold every row and column of the loaded cube, each cell
// the empty mark exactly where the cube is empty and otherwise its value to
// six significant digits.
void check_matrix(const std::string& m) {
    std::size_t at = 0;
    auto expect = [&](const std::string& text) {
        if (m.compare(at, text.size(), text) != 0) violated("the matrix is not complete");
        at += text.size();
    };
    auto cell = [&](float x, bool raw, char mark, bool last) {
        std::size_t end = m.find(last ? '\n' : '\t', at);
        if (end == std::string::npos) violated("the matrix is not complete");
        std::string text = m.substr(at, end - at);
        at = end + 1;
        if (x == 0.0f) {
            if (text != std::string(1, mark)) violated("an empty cell is not marked empty");
            return;
        }
        double expected = raw ? double(x) : double(x) - double(grand_mean);
        char* stop = nullptr;
        double shown = std::strtod(text.c_str(), &stop);
        if (text.empty() || *stop || !std::isfinite(shown) ||
            std::fabs(shown - expected) > 5.0001e-6 * std::fabs(expected))
            violated("a cell does not show its value");
    };
    expect("ClustID\t");
    char prefix = at < m.size() ? m[at] : 0;
    int columns = prefix == 'G' ? nVar : prefix == 'Y' ? nYear : prefix == 'L' ? nLoc : 0;
    if (columns == 0) violated("the matrix header names no factor");
    for (int k = 1; k <= columns; ++k)
        expect(prefix + std::to_string(k) + (k < columns ? "\t" : "\n"));
    if (prefix == 'G') {
        for (int y = 1; y <= nYear; ++y)
            for (int l = 1; l <= nLoc; ++l) {
                expect("Y" + std::to_string(y) + "+L" + std::to_string(l) + "\t");
                for (int v = 1; v <= nVar; ++v) cell(trait_cube[v][y][l], false, '.', v == nVar);
            }
    } else if (prefix == 'Y') {
        for (int l = 1; l <= nLoc; ++l)
            for (int v = 1; v <= nVar; ++v) {
                expect("L" + std::to_string(l) + "+G" + std::to_string(v) + "\t");
                for (int y = 1; y <= nYear; ++y) cell(trait_cube[v][y][l], true, ',', y == nYear);
            }
    } else {
        for (int v = 1; v <= nVar; ++v)
            for (int y = 1; y <= nYear; ++y) {
                expect("G" + std::to_string(v) + "+Y" + std::to_string(y) + "\t");
                for (int l = 1; l <= nLoc; ++l) cell(trait_cube[v][y][l], false, '.', l == nLoc);
            }
    }
    if (at != m.size()) violated("the matrix goes on after its last row");
}

std::string read_all_input() {
    std::string input;
    char block[1 << 16];
    ssize_t got;
    while ((got = read(0, block, sizeof block)) > 0) input.append(block, std::size_t(got));
    return input;
}

// Every token as the loader takes fields (a code up to a 'c' that follows
// it), through the data and again after a rewind.
std::string tokens_read(const std::string& bytes, std::size_t capacity) {
    std::FILE* stream = std::tmpfile();
    if (!stream || std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size())
        violated("can't prepare the data");
    std::rewind(stream);
    DataReader reader;
    reader_open(reader, stream, "fuzz", capacity);
    std::string tokens;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::string_view token; !(token = reader_peek_token(reader)).empty();) {
            std::size_t taken = std::min(token.size(), std::max<std::size_t>(1, token.find('c')));
            tokens.append(token.substr(0, taken)).push_back('\0');
            reader_consume(reader, taken);
            reader_finish_field(reader);
        }
        tokens += "|";
        reader_rewind(reader);
    }
    std::fclose(stream);
    return tokens;
}

int check_reader() {
    std::string input = read_all_input();
    if (input.empty()) return 0;
    std::string data = input.substr(1);
    if (tokens_read(data, 1 + static_cast<unsigned char>(input[0]) % 16) !=
        tokens_read(data, 1 << 20))
        violated("the tokens depend on the reader's buffer size");
    return 0;
}

bool finished = false;

// fatal_exit is the only way to status 1; streams are flushed only after
// this handler, so flush them first to see what the run really left.
void check_failed_run() {
    if (finished) return;
    std::fflush(nullptr);
    check_data_file_kept();
    if (matrices_left() != 0) violated("a failed run left a matrix behind");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "data") && std::strcmp(argv[1], "dialogue") &&
                     std::strcmp(argv[1], "reader"))) {
        std::fprintf(stderr, "usage: clustmat_fuzz data|dialogue|reader <input\n");
        return 2;
    }
    if (std::strcmp(argv[1], "reader") == 0) return check_reader();
    const bool dialogue = std::strcmp(argv[1], "dialogue") == 0;
    enter_run_directory();

    if (dialogue) {
        data_bytes = fixed_data;
        spill(data_name, data_bytes);
        confine();
    } else {
        std::string input = read_all_input();
        char layout = input.empty() ? '1' : input[0];
        if (layout < '1' || layout > '3') layout = char('1' + (unsigned char)layout % 3);
        data_bytes = input.empty() ? input : input.substr(1);
        spill(data_name, data_bytes);
        spill("answers", std::string(data_name) + "\n" + layout + "\n");
        int answers = open("answers", O_RDONLY);
        if (answers < 0 || dup2(answers, 0) != 0) violated("can't prepare the answers");
        close(answers);
        unlink("answers");
    }
    // A file the size of a disk takes as long to write as a disk takes to
    // fill; a write past this size fails as on a full disk.
    rlimit file_size{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &file_size);
    std::signal(SIGXFSZ, SIG_IGN);
    std::atexit(check_failed_run);

    select_language(1, argv);
    print_banner();
    open_data_file();
    load_trait_cube();
    int status = run_analysis();
    finished = true;

    check_data_file_kept();
    std::string matrix;
    bool written = slurp(expected_matrix_name().c_str(), matrix);
    if (status == 0) {
        if (!written) violated("a run ended with status 0 without its matrix");
        check_matrix(matrix);
        if (matrices_left() != 1) violated("a run left more than its matrix");
    } else if (status == -1) {
        if (matrices_left() != 0) violated("a matrix that could not be written was left behind");
    } else {
        violated("a run ended with a status other than 0, 1 or -1");
    }
    return status;
}
