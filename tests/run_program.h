// Runs the real program in a fresh directory, the way a breeder's console
// would, and collects everything it leaves behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct RunResult {
    std::string out;                          // standard output
    std::string err;                          // standard error
    int status = -1;                          // exit status, or -1 when ended by a signal
    int signal = 0;                           // the signal that ended it, if any
    std::map<std::string, std::string> files; // regular files left in the directory
};

struct RunSetup {
    std::vector<std::string> args = {};
    std::string input = {};                        // standard input bytes
    std::map<std::string, std::string> files = {}; // files that exist before the run
    std::optional<unsigned long> address_space = {}; // RLIMIT_AS for the program, in bytes
    std::optional<unsigned long> file_size = {};     // RLIMIT_FSIZE, writes beyond it fail
    std::map<std::string, std::string> environment = {}; // variables set for the program
    bool with_faults = false; // run the build that fails library calls on request
    // Called in the fresh directory before the run, for links and the like.
    void (*prepare)(const std::string& directory) = nullptr;
};

RunResult run_clustmat(const RunSetup& setup);

// The four answers of a template dialogue, each on its own line.
std::string answers(std::initializer_list<std::string> lines);
