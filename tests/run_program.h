// Runs the real program in a fresh directory, the way a breeder's console
// would, and checks everything it leaves behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct RunResult {
    std::string out, err;
    int status = -1;                          // exit status; -1 when a signal ended the run
    std::map<std::string, std::string> files; // regular files left in the directory
};

struct RunSetup {
    std::vector<std::string> args = {};
    std::string input = {};                              // standard input bytes
    std::map<std::string, std::string> files = {};       // files that exist before the run
    std::optional<unsigned long> address_space = {};     // RLIMIT_AS for the program, in bytes
    std::optional<unsigned long> file_size = {};         // RLIMIT_FSIZE, writes beyond it fail
    std::map<std::string, std::string> environment = {}; // variables set for the program
    bool with_faults = false; // run the build that fails library calls on request
    // Called in the fresh directory before the run, for links and the like.
    void (*prepare)(const std::string& directory) = nullptr;
};

RunResult run_clustmat(const RunSetup& setup);

// Runs the real program on a terminal (standard input, output and error;
// echo off, bytes shown as written). `out` holds what the terminal showed,
// both streams; the limits, the faulty build and `prepare` are not used.
RunResult run_on_terminal(const RunSetup& setup);

// Whether stderr holds the notice of a matrix file in place, in either language.
bool announces_matrix(const std::string& err);

// What a run must show: its status, a text that stderr holds, and files that
// must hold exactly the given bytes (or, given nullopt, must not exist).
struct Expected {
    int status;
    std::string err_holds = {};
    std::vector<std::pair<std::string, std::optional<std::string>>> files = {};
};

void expect_run(const char* what, const RunSetup& setup, const Expected& expected);

inline const std::string closing_en = "\n You Data Is Too Big for Runing in DOS System.\n"
                                      "\n You Should Analyze the Data in UNIX System.\n"
                                      "...Now Exiting to System...\n";
inline const std::string data_header = "Var Year Loca Blk Trait\n";
