#include "run_program.h"

#include "gbk.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iconv.h>
#include <linux/capability.h>
#include <pty.h>
#include <random>
#include <sstream>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace fs = std::filesystem;

// A Windows build of the program (named by CLUSTMAT_WINDOWS_PROGRAM) runs
// under Wine instead of this build's own: the same runs then check it.
static const char* const windows_program = std::getenv("CLUSTMAT_WINDOWS_PROGRAM");
const System this_system = windows_program ? System::windows : System::posix;

std::string gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string text = utf8, out(text.size() * 2, '\0');
    char *in = text.data(), *into = out.data();
    size_t in_left = text.size(), out_left = out.size();
    bool whole = iconv(cd, &in, &in_left, &into, &out_left) != static_cast<size_t>(-1);
    iconv_close(cd);
    return whole ? out.substr(0, out.size() - out_left) : "<not convertible>";
}

static std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Text-mode streams on Windows write CR LF: turned back into "\n", and a
// line end written without its CR shown as "<LF without CR>".
static std::string from_text_mode(const std::string& bytes, bool text_mode) {
    if (!text_mode) return bytes;
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += "<LF without CR>";
        text += bytes[i];
    }
    return text;
}

// Why the current run can't be set up for a Windows program, or nothing.
static std::string why_unsupported;

static void unsupported_on_windows(bool wanted, const char* what) {
    if (wanted && this_system == System::windows && why_unsupported.empty())
        why_unsupported = std::string("no ") + what + " for a Windows program";
}

// A terminal that neither echoes the input nor turns line ends into CR LF,
// so that it shows exactly what the program wrote.
static bool open_terminal(int& terminal, int& program_side) {
    if (openpty(&terminal, &program_side, nullptr, nullptr, nullptr) != 0) return false;
    termios mode;
    tcgetattr(program_side, &mode);
    mode.c_lflag &= ~ECHO;
    mode.c_oflag &= ~OPOST;
    return tcsetattr(program_side, TCSANOW, &mode) == 0;
}

// Another program, under Wine, that holds a file open as a spreadsheet does
// (tests/hold_file.cpp, beside the Windows program's tests).
struct Holder {
    pid_t pid = -1;
    int input = -1;
};

static Holder hold(const fs::path& folder, const std::string& name) {
    const std::string program =
        (fs::path(windows_program).parent_path() / "tests" / "hold_file.exe").string();
    // Only the holder may have its ends of the pipes: a program started
    // meanwhile would keep its input open, and it would hold the file for ever.
    int to[2], from[2];
    if (pipe2(to, O_CLOEXEC) != 0 || pipe2(from, O_CLOEXEC) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        dup2(to[0], 0);
        dup2(from[1], 1);
        close(to[1]);
        close(from[0]);
        execlp("wine", "wine", program.c_str(), name.c_str(), nullptr);
        _exit(127);
    }
    close(to[0]);
    close(from[1]);
    // It says so once it holds the file.
    char said[8] = {};
    if (read(from[0], said, 4) != 4 || std::string(said, 4) != "held")
        ADD_FAILURE() << "the file " << name << " could not be held";
    close(from[0]);
    return {pid, to[1]};
}

static void let_go(Holder& holder) {
    if (holder.pid < 0) return;
    close(holder.input);
    waitpid(holder.pid, nullptr, 0);
    holder = {};
}

// Runs the program in `folder`, its streams from and to the files in `io`.
static void run_in(const fs::path& folder, const fs::path& io, const RunSetup& setup,
                   RunResult& run) {
    // Shared with the program, so that its offset tells how much it read;
    // or a pipe held open until the signal is sent.
    int input = open((io / "in").c_str(), O_RDONLY);
    int held_input[2] = {-1, -1};
    if (setup.cue && pipe(held_input) == 0) {
        close(input);
        input = held_input[0];
    }
    int terminal = -1, program_side = -1;
    if (setup.on_terminal && !open_terminal(terminal, program_side)) ADD_FAILURE() << "no pty";
    Holder holder_before;
    if (!setup.held.empty()) holder_before = hold(folder, setup.held);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        if (setup.on_terminal) {
            if (login_tty(program_side) != 0) _exit(126);
        } else {
            dup2(input, 0);
            dup2(open((io / "out").c_str(), O_WRONLY | O_CREAT, 0600), 1);
            dup2(open((io / "err").c_str(), O_WRONLY | O_CREAT, 0600), 2);
        }
        if (held_input[1] >= 0) close(held_input[1]);
        for (int fd : setup.closed_descriptors) close(fd);
        umask(022);
        for (int signal_number : setup.ignored_signals) signal(signal_number, SIG_IGN);
        // Root passes every permission check; without these powers, which
        // the program keeps across exec only if they stay bounded, it meets
        // them as any user does.
        if (setup.unprivileged && geteuid() == 0 &&
            (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0 ||
             prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
            _exit(125);
        if (setup.address_space) {
            rlimit limit{*setup.address_space, *setup.address_space};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (setup.file_size) {
            rlimit limit{*setup.file_size, *setup.file_size};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails as on a full disk
        }
        for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
        alarm(60); // a hang shows up as SIGALRM, never as a stuck test run
        std::vector<const char*> argv{setup.with_faults ? CLUSTMAT_FAULTY_PROGRAM
                                                        : CLUSTMAT_PROGRAM};
        if (windows_program && !setup.native) argv = {"wine", windows_program};
        for (const auto& arg : setup.args) argv.push_back(arg.c_str());
        argv.push_back(nullptr);
        execvp(argv[0], const_cast<char**>(argv.data()));
        _exit(127);
    }
    if (setup.on_terminal) {
        close(program_side);
        if (write(terminal, setup.input.data(), setup.input.size())) {
        }
        // Reading ends with an error once the program's side is closed.
        std::ofstream shown(io / "out", std::ios::binary);
        char block[4096];
        for (ssize_t got; (got = read(terminal, block, sizeof block)) > 0;) shown.write(block, got);
        close(terminal);
    }
    int wait_status = 0;
    bool reaped = false;
    Holder holder;
    if (setup.cue) {
        close(held_input[0]);
        if (write(held_input[1], setup.input.data(), setup.input.size())) {
        }
        // The program shows the text before it waits; alarm() above ends a
        // run that never shows it.
        while (from_text_mode(slurp(io / "out"), this_system == System::windows)
                       .find(setup.cue->text) == std::string::npos &&
               (reaped = waitpid(child, &wait_status, WNOHANG) == child) == false)
            usleep(1000);
        if (!reaped && setup.cue->signal) kill(child, setup.cue->signal);
        if (!setup.cue->hold.empty()) holder = hold(folder, setup.cue->hold);
        const std::string& more = setup.cue->more_input;
        if (write(held_input[1], more.data(), more.size())) {
        }
        close(held_input[1]);
    }
    if (setup.interrupt) {
        usleep(static_cast<useconds_t>(setup.interrupt->second));
        kill(child, setup.interrupt->first);
    }
    if (!reaped) waitpid(child, &wait_status, 0);
    let_go(holder);
    let_go(holder_before);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    if (WIFSIGNALED(wait_status)) run.signal = WTERMSIG(wait_status);
    off_t consumed = lseek(input, 0, SEEK_CUR);
    close(input);
    if (consumed >= 0 && std::size_t(consumed) <= setup.input.size())
        run.unread_input = setup.input.substr(std::size_t(consumed));
}

RunResult run_clustmat(const RunSetup& setup) {
    RunResult run;
    why_unsupported.clear();
    if (setup.only_on != System::any && setup.only_on != this_system)
        why_unsupported = setup.only_on == System::posix ? "POSIX only" : "Windows only";
    // No other program can hold a file open against a POSIX program's rename.
    if (this_system != System::windows &&
        (!setup.held.empty() || (setup.cue && !setup.cue->hold.empty())))
        why_unsupported = "Windows only";
    unsupported_on_windows(setup.file_size.has_value(), "file-size limits");
    // Wine aborts under an address-space limit; the sanitizers reserve terabytes.
    unsupported_on_windows(setup.address_space.has_value(), "address-space limits");
#ifdef CLUSTMAT_SANITIZED
    if (setup.address_space) why_unsupported = "no address-space limit with the sanitizers";
#endif
    unsupported_on_windows(setup.with_faults, "link-time wrapped build");
    unsupported_on_windows(setup.interrupt || (setup.cue && setup.cue->signal) ||
                               setup.unprivileged || setup.on_terminal ||
                               !setup.closed_descriptors.empty() || !setup.ignored_signals.empty(),
                           "signals, capabilities, terminals or closed descriptors");
    if (!(run.skipped = why_unsupported).empty()) return run;

    static std::mt19937_64 random{std::random_device{}()};
    fs::path io;
    do io = fs::temp_directory_path() / ("clustmat-test-" + std::to_string(random()));
    while (!fs::create_directory(io));
    const fs::path folder = io / "run";
    fs::create_directory(folder);
    for (const auto& [name, bytes] : setup.files) {
        fs::create_directories((folder / name).parent_path());
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }
    std::ofstream(io / "in", std::ios::binary) << setup.input;
    if (setup.prepare) setup.prepare(folder.string());
    if ((run.skipped = why_unsupported).empty()) {
        run_in(folder, io, setup, run);
        const bool text_mode = this_system == System::windows && !setup.native;
        run.out = from_text_mode(slurp(io / "out"), text_mode);
        run.err = from_text_mode(slurp(io / "err"), text_mode);
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.is_symlink()) continue;
            const std::string bytes = slurp(entry.path());
            // A file the setup made (under its name or a link's) is as it was.
            bool given = std::any_of(setup.files.begin(), setup.files.end(),
                                     [&](const auto& file) { return file.second == bytes; });
            const std::string name = entry.path().filename().string();
            run.files[name] = given ? bytes : from_text_mode(bytes, text_mode);
            run.raw_files[name] = bytes;
            run.modes[name] = static_cast<unsigned>(entry.status().permissions() & fs::perms::mask);
        }
    }
    // A test may have taken write permissions away; a link may lead anywhere.
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(io))
        if (!entry.is_symlink())
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(io);
    return run;
}

RunResult expect_run(const RunCase& c) {
    const auto& [what, setup, expected] = c;
    SCOPED_TRACE(what);
    RunResult run = run_clustmat(setup);
    if (!run.skipped.empty()) {
        std::printf("[ SKIPPED ROW ] %s: %s\n", what.c_str(), run.skipped.c_str());
        return run;
    }
    EXPECT_EQ(run.status, expected.status) << run.err;
    EXPECT_EQ(run.signal, expected.signal) << run.err;
    EXPECT_NE(run.err.find(expected.err_holds), std::string::npos) << run.err;
    if (expected.whole_err) {
        EXPECT_EQ(run.err, expected.err_holds);
    }
    EXPECT_NE(run.out.find(expected.out_holds), std::string::npos) << run.out;
    const bool announced = run.err.find(" written: ") != std::string::npos ||
                           run.err.find(gbk("聚类矩阵已写入")) != std::string::npos;
    EXPECT_TRUE(expected.status == 0 || !announced) << run.err;
    for (const auto& [name, bytes] : expected.files) {
        if (!bytes) {
            EXPECT_EQ(run.files.count(name), 0u) << name;
        } else {
            const auto found = run.files.find(name);
            const std::string held = found == run.files.end() ? "(no file)" : found->second;
            EXPECT_TRUE(found != run.files.end() && held == *bytes) << name << " holds:\n" << held;
        }
    }
    for (const auto& [name, bytes] : run.files) {
        bool listed = std::any_of(expected.files.begin(), expected.files.end(),
                                  [&](const auto& file) { return file.first == name; });
        EXPECT_TRUE(listed || !expected.nothing_else) << "left behind: " << name;
    }
    for (const auto& [name, mode] : expected.modes) {
        if (this_system == System::posix) {
            EXPECT_EQ(run.modes[name], mode) << name;
        }
    }
    // Wine does not tell how much of its input a program read.
    if (expected.unread_input && this_system == System::posix) {
        EXPECT_EQ(run.unread_input, *expected.unread_input);
    }
    return run;
}

void expect_runs(const std::vector<RunCase>& cases) {
    for (const RunCase& c : cases) expect_run(c);
}
