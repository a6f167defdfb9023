#include "run_program.h"

#include "gbk.h"
#include "run_program_system.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

static std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

static void spill(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

static std::string why_unsupported;

void setup_unsupported(const std::string& why) {
    if (why_unsupported.empty()) why_unsupported = why;
}

RunResult run_clustmat(const RunSetup& setup) {
    RunResult run;
    if (setup.only_on != System::any && setup.only_on != this_system) {
        run.skipped = setup.only_on == System::posix ? "POSIX only" : "Windows only";
        return run;
    }
    if (run.skipped = unsupported_setup(setup); !run.skipped.empty()) return run;

    const std::filesystem::path io = make_run_folder(), dir = io / "run";
    std::filesystem::create_directory(dir);
    for (const auto& [name, bytes] : setup.files) spill(dir / name, bytes);
    why_unsupported.clear();
    if (setup.prepare) setup.prepare(dir.string());
    run.skipped = why_unsupported;
    if (run.skipped.empty()) {
        spill(io / "in", setup.input);
        run_program_in(dir.string(), (io / "in").string(), (io / "out").string(),
                       (io / "err").string(), setup, run);
        run.out = from_text_mode(slurp(io / "out"));
        run.err = from_text_mode(slurp(io / "err"));
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (!entry.is_regular_file() || entry.is_symlink()) continue;
            const std::string name = entry.path().filename().string(), bytes = slurp(entry.path());
            // A file the setup made (under its name or a link's) is as it was.
            bool given = std::any_of(setup.files.begin(), setup.files.end(),
                                     [&](const auto& file) { return file.second == bytes; });
            run.files[name] = given ? bytes : from_text_mode(bytes);
        }
    }
    // A test may have taken write permissions away (never follow a link: it
    // may lead anywhere).
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(io))
        if (!entry.is_symlink())
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(io);
    return run;
}

bool announces_matrix(const std::string& err) {
    return err.find(" written: ") != std::string::npos ||
           err.find(gbk("聚类矩阵已写入")) != std::string::npos;
}

void expect_run(const char* what, const RunSetup& setup, const Expected& expected) {
    SCOPED_TRACE(what);
    RunResult run = run_clustmat(setup);
    if (!run.skipped.empty()) {
        std::printf("[ SKIPPED ROW ] %s: %s\n", what, run.skipped.c_str());
        return;
    }
    EXPECT_EQ(run.status, expected.status) << run.err;
    EXPECT_NE(run.err.find(expected.err_holds), std::string::npos) << run.err;
    EXPECT_TRUE(expected.status == 0 || !announces_matrix(run.err)) << run.err;
    for (const auto& [name, bytes] : expected.files) {
        if (!bytes) {
            EXPECT_EQ(run.files.count(name), 0u) << name;
        } else {
            EXPECT_TRUE(run.files[name] == *bytes) << name << " holds:\n" << run.files[name];
        }
    }
    for (const auto& [name, bytes] : run.files) {
        if (!expected.nothing_else) break;
        EXPECT_TRUE(std::any_of(expected.files.begin(), expected.files.end(),
                                [&](const auto& file) { return file.first == name; }))
            << "left behind: " << name;
    }
    // Only a POSIX system tells how much of its input a program read.
    if (expected.unread_input && this_system == System::posix) {
        EXPECT_EQ(run.unread_input, *expected.unread_input);
    }
}
