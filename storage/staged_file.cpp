#include "storage/staged_file.h"

#include "base/random.h"
#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Process-wide: the exit handler removes what the run left unfinished.
struct Staged {
    std::FILE* stream;
    std::string name; // the temporary name; none for a file to remove
    std::string final_name;
    bool replace; // whatever stands under the final name
};
static std::vector<Staged> staged;

// The signal handler is told every temporary name, before its file exists,
// so there is no moment at which an interrupt could leave one behind.
static void tell_interrupt_cleanup() {
    std::vector<std::string> names;
    for (const Staged& file : staged)
        if (!file.name.empty()) names.push_back(file.name);
    set_interrupt_cleanup(names);
}

// Six characters that differ from run to run and from try to try; creation
// is exclusive, so a name taken by someone else only costs another try.
static std::string random_suffix() {
    static std::uint64_t state =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
        reinterpret_cast<std::uintptr_t>(&state);
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uint64_t z = next_random(state);
    std::string suffix;
    for (int i = 0; i < 6; ++i, z /= 62) suffix += letters[z % 62];
    return suffix;
}

// One name in a folder may have 255 bytes (255 UTF-16 characters on
// Windows, never more than the bytes). The temporary name (a dot, the name
// proper, a dot and six characters) shows as much of the name proper as
// fits, cut before a character, not within one.
static std::string visible_part(std::string name) {
    constexpr std::size_t longest = 255 - 8;
    if (name.size() <= longest) return name;
    std::size_t cut = longest;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

// Whatever ends the run before the commit takes the unfinished files with it.
static void remove_at_exit() {
    discard_staged_files();
}

std::FILE* stage_file(const std::string& final_name, bool replace, bool binary) {
    static bool exit_handler_registered = false;
    if (!exit_handler_registered) exit_handler_registered = std::atexit(remove_at_exit) == 0;

    const std::size_t base = name_proper_start(final_name);
    const std::string prefix =
        final_name.substr(0, base) + "." + visible_part(final_name.substr(base)) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        staged.push_back({nullptr, prefix + random_suffix(), final_name, replace});
        tell_interrupt_cleanup();
        std::FILE* stream = create_new_file(staged.back().name.c_str(),
                                            replace ? final_name.c_str() : nullptr, binary);
        if (stream) return staged.back().stream = stream;
        const int error = errno;
        staged.pop_back();
        tell_interrupt_cleanup();
        errno = error;
        if (errno != EEXIST) break;
    }
    return nullptr;
}

// The first failure's reason; EIO where the system gave none.
static int failure(int error) {
    return error != 0 ? error : EIO;
}

// Closes and removes the staged files from `first` on.
static void unstage_from(std::size_t first) {
    for (std::size_t i = first; i < staged.size(); ++i) {
        if (staged[i].stream) std::fclose(staged[i].stream);
        if (!staged[i].name.empty()) remove_file(staged[i].name.c_str());
    }
    staged.resize(first);
    tell_interrupt_cleanup();
}

void stage_removal(const std::string& final_name) {
    staged.push_back({nullptr, std::string(), final_name, true});
}

bool can_stage_file(const std::string& final_name) {
    if (!stage_file(final_name, false)) return false;
    unstage_from(staged.size() - 1);
    return true;
}

StagedCommit commit_staged_files() {
    StagedCommit commit;
    // Every file on the disk before any takes its name.
    for (Staged& file : staged) {
        std::FILE* stream = file.stream;
        if (!stream) continue;
        file.stream = nullptr;
        errno = 0;
        if ((!sync_to_disk(stream) || std::ferror(stream)) && commit.error == 0)
            commit.error = failure(errno), commit.failed = file.final_name;
        errno = 0;
        if (std::fclose(stream) != 0 && commit.error == 0)
            commit.error = failure(errno), commit.failed = file.final_name;
    }
    // A signal that comes while the files take their names waits for the
    // last of them, so that it finds the whole set old or the whole set new.
    hold_interrupts();
    for (const Staged& file : staged) {
        if (commit.error != 0) break;
        const char* from = file.name.c_str();
        const char* to = file.final_name.c_str();
        const bool done = file.name.empty() ? remove_file(to) || errno == ENOENT
                          : file.replace    ? replace_file(from, to)
                                            : place_file(from, to);
        if (!done) {
            commit.error = failure(errno);
            commit.failed = file.final_name;
            break;
        }
        ++commit.replaced;
    }
    // The files in place have left their temporary names; the others go.
    staged.erase(staged.begin(), staged.begin() + static_cast<std::ptrdiff_t>(commit.replaced));
    unstage_from(0);
    release_interrupts();
    commit.done = commit.error == 0;
    return commit;
}

bool commit_staged_file() {
    const StagedCommit commit = commit_staged_files();
    errno = commit.error;
    return commit.done;
}

void discard_staged_files() {
    if (!staged.empty()) unstage_from(0);
}
