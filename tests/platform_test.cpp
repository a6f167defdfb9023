// Files put in place by name: an existing name is never taken by a new file
// unless replacing it was asked for, whatever the system's own calls do
// (msvcrt's fopen ignores "x").
#include "platform/platform.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace {

std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<missing>";
}

// Writes "a\nb\n" into a new file; false when it can't be created.
bool create_with_lines(const char* path) {
    std::FILE* stream = create_new_file(path);
    if (!stream) return false;
    std::fputs("a\nb\n", stream);
    return sync_to_disk(stream) && std::fclose(stream) == 0;
}

TEST(Platform, NewFilesNeverReplaceAnExistingName) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("clustmat-platform-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directory(folder);
    const std::string from = (folder / "from").string(), to = (folder / "to").string();
    // The line ends a text-mode stream of this system writes.
    std::FILE* reference = std::fopen((folder / "ref").string().c_str(), "w");
    std::fputs("a\nb\n", reference);
    std::fclose(reference);
    const std::string lines = read_all(folder / "ref");

    const struct {
        const char* what;
        bool to_exists;
        bool (*step)(const char* from, const char* to);
        int error; // 0: the step succeeds
        std::string to_after, from_after;
    } cases[] = {
        {"create over a file", true,
         [](const char*, const char* to) { return create_with_lines(to); }, EEXIST, "old", "new"},
        {"create a free name", false,
         [](const char*, const char* to) { return create_with_lines(to); }, 0, lines, "new"},
        {"place over a file", true, place_file, EEXIST, "old", "new"},
        {"place on a free name", false, place_file, 0, "new", "<missing>"},
        {"replace a file", true, replace_file, 0, "new", "<missing>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(to);
        if (c.to_exists) std::ofstream(to, std::ios::binary) << "old";
        std::ofstream(from, std::ios::binary) << "new";
        errno = 0;
        EXPECT_EQ(c.step(from.c_str(), to.c_str()), c.error == 0);
        if (c.error != 0) {
            EXPECT_EQ(errno, c.error);
        }
        EXPECT_EQ(read_all(to), c.to_after);
        EXPECT_EQ(read_all(from), c.from_after);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
