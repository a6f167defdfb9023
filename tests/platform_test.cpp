// Files put in place by name: an existing name is never taken by a new file
// unless replacing it was asked for, whatever the system's own calls do
// (msvcrt's fopen ignores "x"; Windows has no hard links for a template).
#include "platform/platform.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(Platform, NewFilesNeverReplaceAnExistingName) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("clustmat-platform-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directory(folder);
    const std::string from = (folder / "from").string(), to = (folder / "to").string();
    const std::pair<bool (*)(const char*, const char*), bool> steps[] = {
        {[](const char*, const char* to) { return create_new_file(to) != nullptr; }, false},
        {place_file, false},
        {replace_file, true}};
    for (auto [step, replaces] : steps) {
        std::ofstream(to) << "old";
        std::ofstream(from) << "new";
        errno = 0;
        EXPECT_EQ(step(from.c_str(), to.c_str()), replaces);
        EXPECT_EQ(errno, replaces ? 0 : EEXIST);
        std::string now;
        std::ifstream(to) >> now;
        EXPECT_EQ(now, replaces ? "new" : "old");
    }
    std::filesystem::remove_all(folder);
}

} // namespace
