// Failures that no input can provoke, for a build of the program whose calls
// to these library functions are wrapped at link time (-Wl,--wrap=...). Each
// is asked for by an environment variable:
//   FAULT_FCLOSE=<text>          closing a file whose name holds it fails (EIO)
//   FAULT_FFLUSH=<text>          so does flushing it (ENOSPC)
//   FAULT_FSYNC=<text>           and syncing it to the disk (EIO)
//   FAULT_RENAME=<text>          moving a file to a name that holds it fails (EIO)
//   FAULT_MEMORY=<bytes>         the machine has that much memory
//   FAULT_WRITE_AFTER_FAILURE=abort  a write to a stream whose last write
//                                failed aborts: the program should have stopped
//   FAULT_REWRITE=<bytes>        the first rewind of a stream (the loader's,
//                                between its passes) first puts these bytes
//                                into the stream's file in place of its own
//   FAULT_REWRITE_UNSEEN=<bytes> the same, on a system whose file times can't
//                                show it: fstat reports the file as before
//   FAULT_SIGNAL=<n>:<text>      the first write to a file whose name holds
//                                the text raises signal n first
//   FAULT_SIGNAL_AFTER_RENAME=<n>:<text>  moving a file to a name that
//                                holds the text raises signal n once it moved
//   FAULT_SIGNAL_AT_TEXT=<n>:<text>  the first write of bytes that hold the
//                                text raises signal n first
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {

int __real_fclose(std::FILE* stream);
int __real_fflush(std::FILE* stream);
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);
int __real_renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags);
long __real_sysconf(int name);
std::size_t __real_fwrite(const void* data, std::size_t size, std::size_t count, std::FILE* stream);
void __real_rewind(std::FILE* stream);
int __real_fstat(int fd, struct stat* info);

// The name of the file behind a descriptor.
static std::string path_of(int fd) {
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, sizeof path);
    return std::string(path, length > 0 ? std::size_t(length) : 0);
}

// Whether the variable asks for a failure of calls on this file.
static bool asked_to_fail(const char* variable, const std::string& path) {
    const char* wanted = std::getenv(variable);
    return wanted && path.find(wanted) != std::string::npos;
}

static int failed(int error) {
    errno = error;
    return -1;
}

int __wrap_fclose(std::FILE* stream) {
    bool fail = asked_to_fail("FAULT_FCLOSE", path_of(fileno(stream)));
    int result = __real_fclose(stream);
    return fail ? failed(EIO) : result;
}

int __wrap_fflush(std::FILE* stream) {
    if (stream && asked_to_fail("FAULT_FFLUSH", path_of(fileno(stream)))) return failed(ENOSPC);
    return __real_fflush(stream);
}

int __wrap_fsync(int fd) {
    return asked_to_fail("FAULT_FSYNC", path_of(fd)) ? failed(EIO) : __real_fsync(fd);
}

// A signal in the middle of a set's renames, asked for by FAULT_SIGNAL_AFTER_RENAME.
static int signal_after(const char* to, int result) {
    const char* wanted = std::getenv("FAULT_SIGNAL_AFTER_RENAME");
    const char* text = wanted ? std::strchr(wanted, ':') : nullptr;
    if (result == 0 && text && std::strstr(to, text + 1)) raise(std::atoi(wanted));
    return result;
}

int __wrap_rename(const char* from, const char* to) {
    if (asked_to_fail("FAULT_RENAME", to)) return failed(EIO);
    return signal_after(to, __real_rename(from, to));
}

int __wrap_renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
    if (asked_to_fail("FAULT_RENAME", to)) return failed(EIO);
    return signal_after(to, __real_renameat2(from_dir, from, to_dir, to, flags));
}

long __wrap_sysconf(int name) {
    const char* memory = std::getenv("FAULT_MEMORY");
    if (memory && name == _SC_PHYS_PAGES)
        return std::strtol(memory, nullptr, 10) / __real_sysconf(_SC_PAGE_SIZE);
    return __real_sysconf(name);
}

std::size_t __wrap_fwrite(const void* data, std::size_t size, std::size_t count,
                          std::FILE* stream) {
    static std::FILE* failed = nullptr;
    if (stream == failed && std::getenv("FAULT_WRITE_AFTER_FAILURE")) std::abort();
    if (const char* wanted = std::getenv("FAULT_SIGNAL")) {
        static bool raised = false;
        const char* text = std::strchr(wanted, ':');
        if (!raised && text && path_of(fileno(stream)).find(text + 1) != std::string::npos) {
            raised = true;
            raise(std::atoi(wanted));
        }
    }
    if (const char* wanted = std::getenv("FAULT_SIGNAL_AT_TEXT")) {
        const char* text = std::strchr(wanted, ':');
        if (text && std::string(static_cast<const char*>(data), size * count).find(text + 1) !=
                        std::string::npos)
            raise(std::atoi(wanted));
    }
    std::size_t written = __real_fwrite(data, size, count, stream);
    failed = written < count ? stream : nullptr;
    return written;
}

static int unseen_fd = -1;
static struct stat unseen_state;

void __wrap_rewind(std::FILE* stream) {
    static bool done = false;
    const char* unseen = std::getenv("FAULT_REWRITE_UNSEEN");
    const char* bytes = unseen ? unseen : std::getenv("FAULT_REWRITE");
    if (bytes && !done) {
        done = true;
        if (unseen && __real_fstat(fileno(stream), &unseen_state) == 0) unseen_fd = fileno(stream);
        int fd = open(path_of(fileno(stream)).c_str(), O_WRONLY | O_TRUNC);
        std::size_t size = std::strlen(bytes);
        if (fd < 0 || write(fd, bytes, size) != static_cast<ssize_t>(size) || close(fd) != 0)
            std::abort();
    }
    __real_rewind(stream);
}

int __wrap_fstat(int fd, struct stat* info) {
    int result = __real_fstat(fd, info);
    if (result == 0 && fd == unseen_fd) *info = unseen_state;
    return result;
}
}
