#include "platform/platform.h"

#include "base/ascii_case.h"
#include "base/checked_size.h"
#include "platform/gbk_text.h"
#include "platform/input_line.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <iterator>
#include <langinfo.h>
#include <locale.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

void prepare_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Descriptors below fd are open, so the lowest free one is fd itself.
        int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

// The files an interrupted run removes: their names one after another, each
// ended by a NUL, and an empty name after the last. The handler may run at
// any moment: the list is replaced whole while the signals wait, so that it
// never meets one half made.
static char* cleanup_paths = nullptr;
static sigset_t handled_signals;

static void end_interrupted_run(int signal_number) {
    for (const char* path = cleanup_paths; path && *path;) {
        unlink(path);
        while (*path++ != '\0') {
        }
    }
    // The handler was installed to run once: the default action is back, and
    // the signal, blocked while the handler runs, ends the run on return.
    raise(signal_number);
}

void install_interrupt_handling() {
    // Every signal whose default action ends the run; SIGKILL and SIGSTOP
    // can't be caught, and the others that end it (SIGSEGV and its kin) mean
    // a fault of the program's own, after which nothing is safe to do.
    for (int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,
                              SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL, SIGSYS}) {
        struct sigaction action {};
        // A signal ignored by whoever started the run (nohup, a background
        // job) stays ignored.
        if (sigaction(signal_number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            continue;
        action.sa_handler = end_interrupted_run;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(signal_number, &action, nullptr);
        sigaddset(&handled_signals, signal_number);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

void set_interrupt_cleanup(const std::vector<std::string>& paths) {
    std::size_t size = 1;
    for (const std::string& path : paths) size += path.size() + 1;
    char* const list = new char[size];
    char* at = list;
    for (const std::string& path : paths)
        at = std::copy(path.begin(), path.end(), at), *at++ = '\0';
    *at = '\0';
    sigset_t before;
    sigprocmask(SIG_BLOCK, &handled_signals, &before);
    char* const previous = cleanup_paths;
    cleanup_paths = list;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    delete[] previous;
}

void hold_interrupts() {
    sigprocmask(SIG_BLOCK, &handled_signals, nullptr);
}

void release_interrupts() {
    sigprocmask(SIG_UNBLOCK, &handled_signals, nullptr);
}

// Whether the character set of the user's locale (LC_ALL, LC_CTYPE, LANG) is
// UTF-8. Read through a locale object of its own: the program's global locale
// stays "C", since answers are parsed and numbers written in that locale.
static bool user_locale_is_utf8() {
    locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!user) return false; // a locale named but not installed: its set is unknown
    bool utf8 = std::strcmp(nl_langinfo_l(CODESET, user), "UTF-8") == 0;
    freelocale(user);
    return utf8;
}

// Whether GBK texts for this stream must become UTF-8: only for a terminal of
// a UTF-8 locale. A pipe or a file gets the GBK bytes whatever the locale, so
// that what a script keeps is the same everywhere. Decided once per stream.
static bool converts_for(std::FILE* stream) {
    struct Decision {
        std::FILE* stream;
        bool convert;
    };
    static Decision decisions[4];
    static std::size_t decided = 0;
    for (std::size_t i = 0; i < decided; ++i)
        if (decisions[i].stream == stream) return decisions[i].convert;
    bool convert = isatty(fileno(stream)) && user_locale_is_utf8();
    if (decided < std::size(decisions)) decisions[decided++] = {stream, convert};
    return convert;
}

static iconv_t gbk_converter() {
    static iconv_t converter = iconv_open("UTF-8", "GBK");
    return converter;
}

// Converts GBK bytes to UTF-8. False when the system has no such converter or
// the text is no GBK; the caller then writes the bytes as they are.
static bool gbk_to_utf8(std::string_view gbk, std::string& utf8) {
    iconv_t converter = gbk_converter();
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    // A GBK character of two bytes becomes at most three; ASCII stays one.
    utf8.assign(gbk.size() * 2, '\0');
    char* in = const_cast<char*>(gbk.data());
    char* out = utf8.data();
    std::size_t in_left = gbk.size(), out_left = utf8.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1))
        return false;
    utf8.resize(utf8.size() - out_left);
    return true;
}

void put_gbk_text(std::FILE* stream, std::string_view text) {
    std::string utf8;
    if (converts_for(stream) && gbk_to_utf8(text, utf8)) text = utf8;
    std::fwrite(text.data(), 1, text.size(), stream);
}

// One GBK character as a code point, or 0 when iconv has none for it.
static char32_t gbk_character(unsigned char lead, unsigned char trail) {
    iconv_t converter = gbk_converter();
    if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
    char gbk[2] = {static_cast<char>(lead), static_cast<char>(trail)}, utf8[8];
    char *in = gbk, *out = utf8;
    std::size_t in_left = sizeof gbk, out_left = sizeof utf8;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1) ||
        in_left != 0)
        return 0;
    const std::string_view converted(utf8, sizeof utf8 - out_left);
    std::size_t at = 0;
    const char32_t c = converted.empty() ? ill_formed : next_code_point(converted, at);
    return c != ill_formed && at == converted.size() ? c : 0;
}

std::string utf8_from_gbk(std::string_view gbk) {
    return utf8_from_gbk_pairs(gbk, gbk_character);
}

std::string console_form(std::string_view bytes, TextEncoding) {
    return std::string(bytes);
}

// The locale's name is read, not set: the program's locale stays "C". A
// name without a codeset is glibc's default for it, which for zh_CN and
// zh_SG is GB2312.
bool system_is_chinese() {
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if ((name = std::getenv(variable)) && *name) break;
    if (!name || !*name) return false;
    std::string_view locale(name);
    locale = locale.substr(0, locale.find('@'));
    const std::size_t dot = locale.find('.');
    if (dot == std::string_view::npos) return locale == "zh_CN" || locale == "zh_SG";
    std::string codeset;
    for (char c : locale.substr(dot + 1))
        if (c != '-' && c != '_') codeset += ascii_lower(c);
    return codeset == "gbk" || codeset == "gb18030" || codeset == "gb2312" || codeset == "euccn";
}

void hold_console_window(std::string_view) {}

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

bool on_windows() {
    return false;
}

void put_console_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

std::string file_text(std::string_view bytes) {
    return std::string(bytes);
}

NameLimit name_limit() {
    return {PATH_MAX, true};
}

NameLimit name_proper_limit(const std::string& path) {
    const std::size_t start = name_proper_start(path);
    const std::string folder = start == 0 ? "." : path.substr(0, start);
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return {longest > 0 ? static_cast<std::size_t>(longest) : std::size_t{255}, true};
}

std::size_t name_length(std::string_view name) {
    return name.size();
}

std::optional<std::string> read_name_line() {
    std::fflush(stdout);
    const std::size_t limit = name_limit().length;
    bool too_long;
    // One byte past the limit is held, for the CR of a CR LF line end.
    std::string line = read_input_line(limit + 1, too_long);
    if (too_long || line.size() > limit) return std::nullopt;
    return line;
}

std::string_view name_quotes() {
    return "\"'";
}

bool is_path_separator(char c) {
    return c == '/';
}

std::string_view name_as_opened(std::string_view path) {
    return path;
}

static FileIdentity identity_from(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool identity_of(const char* path, FileIdentity& identity) {
    struct stat info;
    if (stat(path, &info) != 0) return false;
    identity = identity_from(info);
    return true;
}

static std::int64_t nanoseconds(const struct timespec& time) {
    return std::int64_t{time.tv_sec} * 1000000000 + time.tv_nsec;
}

bool state_of(std::FILE* stream, FileState& state) {
    struct stat info;
    if (fstat(fileno(stream), &info) != 0) return false;
    state.identity = identity_from(info);
    state.size = info.st_size;
    state.modified = nanoseconds(info.st_mtim);
    state.changed = nanoseconds(info.st_ctim);
    return true;
}

std::ptrdiff_t read_at(std::FILE* stream, std::uint64_t offset, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t now =
            pread(fileno(stream), into + got, size - got, static_cast<off_t>(offset + got));
        if (now < 0 && errno == EINTR) continue;
        if (now < 0) return -1;
        if (now == 0) break;
        got += static_cast<std::size_t>(now);
    }
    return static_cast<std::ptrdiff_t>(got);
}

Opening open_for_reading(const char* path, std::FILE*& stream) {
    // Without O_NONBLOCK the open of a FIFO would wait for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Opening::missing;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        bool folder = S_ISDIR(info.st_mode);
        close(fd);
        return folder ? Opening::folder : Opening::not_a_file;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    stream = fdopen(fd, "rb");
    if (!stream) {
        close(fd);
        return Opening::missing;
    }
    return Opening::opened;
}

NameUse use_of_name(const char* path) {
    struct stat info;
    if (lstat(path, &info) != 0) return NameUse::free;
    if (S_ISDIR(info.st_mode)) return NameUse::folder;
    // A file whose every write permission was taken away is protected even
    // from a user whom the system would let write it (root).
    if (S_ISREG(info.st_mode) && ((info.st_mode & 0222) == 0 || access(path, W_OK) != 0))
        return NameUse::protected_file;
    return NameUse::replaceable;
}

bool is_folder(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

std::FILE* create_new_file(const char* path, const char* replaced, bool) {
    struct stat old;
    const bool keep = replaced && lstat(replaced, &old) == 0 && S_ISREG(old.st_mode);
    // A private file's replacement is private from its first byte on.
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, keep ? 0600 : 0666);
    if (fd < 0) return nullptr;
    if (keep) {
        // The group first: changing it may clear bits that the mode then sets.
        if (fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not a group this user may give: the file keeps the user's own.
        }
        fchmod(fd, old.st_mode & 0777);
    }
    std::FILE* stream = fdopen(fd, "w");
    if (!stream) {
        int error = errno;
        close(fd);
        errno = error;
    }
    return stream;
}

bool sync_to_disk(std::FILE* stream) {
    return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0;
}

// The file's bytes are on the disk before its name changes, so after a crash
// the name holds either the old file or the new one, each whole. Syncing the
// folder only settles which; where it fails, both are still whole files.
static void sync_folder_of(const char* path) {
    std::string folder(path);
    std::size_t cut = folder.find_last_of('/');
    folder = cut == std::string::npos ? "." : cut == 0 ? "/" : folder.substr(0, cut);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool replace_file(const char* from, const char* to) {
    if (std::rename(from, to) != 0) return false;
    sync_folder_of(to);
    return true;
}

bool place_file(const char* from, const char* to) {
    // One step where the file system can do it; a link and an unlink where
    // it can't (EINVAL). Either way an existing name is never replaced.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return false;
        if (link(from, to) != 0) return false;
        unlink(from);
    }
    sync_folder_of(to);
    return true;
}

bool remove_file(const char* path) {
    return unlink(path) == 0;
}

std::size_t physical_memory() {
    long pages = sysconf(_SC_PHYS_PAGES), page_size = sysconf(_SC_PAGE_SIZE);
    std::size_t bytes;
    if (pages <= 0 || page_size <= 0 ||
        !multiply_checked(static_cast<std::size_t>(pages), static_cast<std::size_t>(page_size),
                          bytes))
        return SIZE_MAX;
    return bytes;
}
