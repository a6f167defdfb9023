// Runs killed at any moment of a run, by any signal.
#include "run_program.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// A trial of 200 varieties, 20 years and 40 locations: long enough to write
// that kills land while it loads, writes, syncs and renames.
std::string trial(int offset) {
    std::string text = data_header;
    for (int v = 1; v <= 200; ++v)
        for (int y = 1; y <= 20; ++y)
            for (int l = 1; l <= 40; ++l)
                text += std::to_string(v) + ' ' + std::to_string(y) + ' ' + std::to_string(l) +
                        " 1 " + std::to_string(offset + (v * 7 + y * 3 + l) % 101) + ".25\n";
    return text;
}

// Runs killed by SIGKILL, SIGINT and SIGTERM at moments spread over a whole
// run: every name holds what it held before or what a whole run writes, each
// complete; only SIGKILL may leave a temporary file (a dot file) behind.
TEST(Interruption, LeavesTheOldFileOrTheNewOneWhole) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "where a kill lands says nothing about memory errors";
#endif
    const struct {
        const char* what;
        RunSetup setup;
        std::vector<std::string> names;
    } cases[] = {
        {"a matrix replacing an earlier one",
         {.input = "d.dat\n1\n", .files = {{"d.dat", trial(0)}, {"d.DIS", trial(1)}}},
         {"d.DIS"}},
        {"a template and its matrix",
         {.input = "t.dat\ny\n100\n40\n10\n5\n3\n"},
         {"t.dat", "t.DIS"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto start = std::chrono::steady_clock::now();
        const RunResult whole = run_clustmat(c.setup);
        const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start)
                                  .count();
        ASSERT_EQ(whole.status, 0) << whole.err;
        for (int signal : {SIGKILL, SIGINT, SIGTERM})
            for (int i = 0; i < 20; ++i) {
                RunSetup setup = c.setup;
                setup.interrupt = Interrupt{signal, static_cast<long>(duration * i / 20)};
                RunResult run = run_clustmat(setup);
                SCOPED_TRACE("signal " + std::to_string(signal) + " after " +
                             std::to_string(setup.interrupt->microseconds) + " us");
                if (run.signal != 0) {
                    EXPECT_EQ(run.signal, signal);
                }
                for (const auto& [name, bytes] : run.files) {
                    bool named = std::find(c.names.begin(), c.names.end(), name) != c.names.end();
                    auto before = c.setup.files.find(name);
                    if (named) {
                        EXPECT_TRUE(bytes == whole.files.at(name) ||
                                    (before != c.setup.files.end() && bytes == before->second))
                            << name << " is neither the old nor the new file";
                    } else if (before == c.setup.files.end()) {
                        EXPECT_TRUE(signal == SIGKILL && name[0] == '.') << "left behind: " << name;
                    }
                }
            }
    }
}

} // namespace
