#include "storage/staged_file.h"

#include "base/random.h"
#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>

static std::FILE* staged_stream = nullptr;
static std::string staged_name; // the temporary name
static std::string final_name_of_staged;
static bool replacing; // whatever stands under the final name

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

// Whatever ends the run before the commit takes the unfinished file with it.
static void remove_at_exit() {
    discard_staged_file();
}

std::FILE* stage_file(const std::string& final_name, bool replace) {
    static bool exit_handler_registered = false;
    if (!exit_handler_registered) exit_handler_registered = std::atexit(remove_at_exit) == 0;

    const std::size_t base = name_proper_start(final_name);
    const std::string prefix =
        final_name.substr(0, base) + "." + visible_part(final_name.substr(base)) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + random_suffix();
        // The name is known to the signal handler before the file exists, so
        // there is no moment at which an interrupt could leave it behind.
        set_interrupt_cleanup(name.c_str());
        staged_stream = create_new_file(name.c_str(), replace ? final_name.c_str() : nullptr);
        if (staged_stream) {
            staged_name = name;
            final_name_of_staged = final_name;
            replacing = replace;
            return staged_stream;
        }
        if (errno != EEXIST) break;
    }
    int error = errno;
    set_interrupt_cleanup(nullptr);
    errno = error;
    return nullptr;
}

// The first failure's reason; EIO where the system gave none.
static int failure(int error) {
    return error != 0 ? error : EIO;
}

bool can_stage_file(const std::string& final_name) {
    if (!stage_file(final_name, false)) return false;
    discard_staged_file();
    return true;
}

bool commit_staged_file() {
    std::FILE* stream = staged_stream;
    staged_stream = nullptr;
    int error = 0;
    errno = 0;
    if (!sync_to_disk(stream) || std::ferror(stream)) error = failure(errno);
    errno = 0;
    if (std::fclose(stream) != 0 && error == 0) error = failure(errno);
    const char* from = staged_name.c_str();
    const char* to = final_name_of_staged.c_str();
    if (error == 0 && !(replacing ? replace_file(from, to) : place_file(from, to)))
        error = failure(errno);
    if (error != 0) remove_file(from);
    set_interrupt_cleanup(nullptr);
    staged_name.clear();
    errno = error;
    return error == 0;
}

void discard_staged_file() {
    if (staged_name.empty()) return;
    if (staged_stream) std::fclose(staged_stream);
    staged_stream = nullptr;
    remove_file(staged_name.c_str());
    set_interrupt_cleanup(nullptr);
    staged_name.clear();
}
