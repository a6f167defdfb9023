// Runs the real program in a fresh directory, the way a breeder's console
// would, and checks everything it leaves behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// Where a run makes sense: FIFOs, links and resource limits are POSIX
// things, reserved device names and case-blind file names Windows ones.
enum class System { any, posix, windows };

struct RunResult {
    std::string out, err;
    int status = -1;                          // exit status; -1 when a signal ended the run
    int signal = 0;                           // the signal that ended the run, if one did
    std::string unread_input;                 // what the program left of its standard input
    std::map<std::string, std::string> files; // regular files left in the directory
    std::string skipped; // why the run could not be set up on this system; nothing ran
};

// A signal sent to the program this long after its start.
struct Interrupt {
    int signal;
    long microseconds;
};

struct RunSetup {
    std::vector<std::string> args = {};
    std::string input = {};                              // standard input bytes
    std::map<std::string, std::string> files = {};       // files that exist before the run
    std::optional<unsigned long> address_space = {};     // RLIMIT_AS for the program, in bytes
    std::optional<unsigned long> file_size = {};         // RLIMIT_FSIZE, writes beyond it fail
    std::map<std::string, std::string> environment = {}; // variables set for the program
    bool with_faults = false;                 // run the build that fails library calls on request
    bool unprivileged = false; // without root's power to pass permission checks
    std::vector<int> closed_descriptors = {}; // standard descriptors closed at the start
    std::optional<Interrupt> interrupt = {};
    // Called in the fresh directory before the run, for links and the like.
    void (*prepare)(const std::string& directory) = nullptr;
    System only_on = System::any;
};

// Standard streams and every file the program wrote are given with "\n" line
// ends: on Windows, where text-mode streams write CR LF, those are turned
// back, and a line end written without its CR shows as "<LF without CR>".
// Files the run left as the setup made them are given byte for byte.
RunResult run_clustmat(const RunSetup& setup);

// Runs the real program on a terminal (standard input, output and error;
// echo off, bytes shown as written). `out` holds what the terminal showed,
// both streams; the limits, the faulty build and `prepare` are not used.
RunResult run_on_terminal(const RunSetup& setup);

// Whether stderr holds the notice of a matrix file in place, in either language.
bool announces_matrix(const std::string& err);

// Helpers for `prepare`. Where the system has no such thing, each marks the
// run as one that can't be set up here, and it is skipped.
void make_fifo(const std::string& path);
void make_symlink(const std::string& target, const std::string& path);
void make_hard_link(const std::string& existing, const std::string& path);

// What a run must show: its status, a text that stderr holds, and files that
// must hold exactly the given bytes (or, given nullopt, must not exist); with
// `nothing_else`, no other file may be left in the directory.
struct Expected {
    int status;
    std::string err_holds = {};
    std::vector<std::pair<std::string, std::optional<std::string>>> files = {};
    bool nothing_else = false;
    std::optional<std::string> unread_input = {};
};

// Checks a run; a run that can't be set up on this system is noted as a
// skipped row on standard output, and the test goes on with its other rows.
void expect_run(const char* what, const RunSetup& setup, const Expected& expected);

inline const std::string closing_en = "\n You Data Is Too Big for Runing in DOS System.\n"
                                      "\n You Should Analyze the Data in UNIX System.\n"
                                      "...Now Exiting to System...\n";
inline const std::string data_header = "Var Year Loca Blk Trait\n";
