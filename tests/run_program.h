// Runs the real program in a fresh folder, the way a breeder's console
// would, and checks everything it leaves behind.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Where a run makes sense: FIFOs, links, signals and resource limits are
// POSIX things, reserved device names and case-blind file names Windows ones.
enum class System { any, posix, windows };

// The system of the program under test: POSIX, or Windows for a Windows
// build named by CLUSTMAT_WINDOWS_PROGRAM, which runs under Wine.
extern const System this_system;

struct RunSetup {
    std::vector<std::string> args = {};
    std::string input = {};                              // standard input bytes
    std::map<std::string, std::string> files = {};       // files that exist before the run
    std::optional<unsigned long> file_size = {};         // RLIMIT_FSIZE, writes beyond it fail
    std::optional<unsigned long> address_space = {};     // RLIMIT_AS, in bytes
    std::map<std::string, std::string> environment = {}; // variables set for the program
    bool with_faults = false;  // run the build that fails library calls on request
    bool native = false;       // this system's program, even where a Windows one is under test
    bool unprivileged = false; // without root's power to pass permission checks
    bool on_terminal = false;  // every stream on one terminal, shown in `out`
    std::vector<int> closed_descriptors = {};           // standard streams closed at the start
    std::optional<std::pair<int, long>> interrupt = {}; // a signal, sent this many us in
    // What happens once stdout shows a text: a signal is sent (POSIX), or a
    // file of the folder is held open by another program (Windows), and then
    // more input follows. Standard input stays open until then, so that the
    // program waits at its prompt.
    struct Cue {
        std::string text;
        int signal = 0;
        std::string hold = {};
        std::string more_input = {};
    };
    std::optional<Cue> cue = {};
    std::string held = {}; // a file held open by another program for the whole run (Windows)
    std::vector<int> ignored_signals = {};                // ignored when the program starts (nohup)
    void (*prepare)(const std::string& folder) = nullptr; // runs in the fresh folder first
    System only_on = System::any;
};

struct RunResult {
    std::string out, err;
    int status = -1;                              // exit status; -1 when a signal ended the run
    int signal = 0;                               // the signal that ended the run, if one did
    std::string unread_input;                     // what the program left of its input (POSIX)
    std::map<std::string, std::string> files;     // regular files left in the folder
    std::map<std::string, std::string> raw_files; // the same, byte for byte as on the disk
    std::map<std::string, unsigned> modes;        // their permission bits (the umask is 022)
    std::string skipped; // why the run can't be set up on this system; then nothing ran
};

// Streams and every file the program wrote are given with "\n" line ends: on
// Windows, where text-mode streams write CR LF, those are turned back, and a
// line end written without its CR shows as "<LF without CR>". A file left as
// the setup made it is given byte for byte.
RunResult run_clustmat(const RunSetup& setup);

// What a run must show: its status; texts that stderr and stdout hold; files
// that must hold exactly the given bytes (or, given nullopt, must not exist)
// and, with `nothing_else`, no other file; what it left of its input. A
// failed run never announces a matrix.
struct Expected {
    int status;
    std::string err_holds = {};
    std::vector<std::pair<std::string, std::optional<std::string>>> files = {};
    bool nothing_else = false;
    std::string out_holds = {};
    std::optional<std::string> unread_input = {};
    int signal = 0;                             // the signal that must have ended the run
    std::map<std::string, unsigned> modes = {}; // permission bits of files left (POSIX)
    bool whole_err = false;                     // stderr is err_holds and nothing else
};

struct RunCase {
    std::string what;
    RunSetup setup;
    Expected expected;
};

// Runs and checks every case; one that can't be set up on this system is
// noted on stdout as a skipped row, and the others go on.
void expect_runs(const std::vector<RunCase>& cases);
// One case so, giving its run for further checks.
RunResult expect_run(const RunCase& c);

inline const std::string closing_en = "\n You Data Is Too Big for Runing in DOS System.\n"
                                      "\n You Should Analyze the Data in UNIX System.\n"
                                      "...Now Exiting to System...\n";
inline const std::string data_header = "Var Year Loca Blk Trait\n";
