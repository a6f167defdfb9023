#include "run_program_system.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>
#include <vector>

const System this_system = System::posix;

std::string unsupported_setup(const RunSetup&) {
    return {};
}

std::string make_run_folder() {
    char pattern[] = "/tmp/clustmat-test-XXXXXX";
    return mkdtemp(pattern);
}

void run_program_in(const std::string& directory, const std::string& in, const std::string& out,
                    const std::string& err, const RunSetup& setup, RunResult& run) {
    // Shared with the program, so that its offset tells how much it read.
    const int input = open(in.c_str(), O_RDONLY);
    if (pid_t child = fork(); child == 0) {
        if (chdir(directory.c_str()) != 0) _exit(126);
        dup2(input, 0);
        close(input);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT, 0600), 2);
        for (int fd : setup.closed_descriptors) close(fd);
        // Root passes every permission check; without these powers, which
        // the program keeps across exec only if they stay bounded, it
        // meets them as any user does.
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
        const char* program = setup.with_faults ? CLUSTMAT_FAULTY_PROGRAM : CLUSTMAT_PROGRAM;
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const auto& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    } else {
        if (setup.interrupt) {
            usleep(static_cast<useconds_t>(setup.interrupt->microseconds));
            kill(child, setup.interrupt->signal);
        }
        int wait_status = 0;
        waitpid(child, &wait_status, 0);
        run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
        if (WIFSIGNALED(wait_status)) run.signal = WTERMSIG(wait_status);
        off_t consumed = lseek(input, 0, SEEK_CUR);
        close(input);
        if (consumed >= 0 && std::size_t(consumed) <= setup.input.size())
            run.unread_input = setup.input.substr(std::size_t(consumed));
    }
}

RunResult run_on_terminal(const RunSetup& setup) {
    const std::string dir = make_run_folder();
    for (const auto& [name, bytes] : setup.files)
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    int terminal, program_side;
    RunResult run;
    if (openpty(&terminal, &program_side, nullptr, nullptr, nullptr) != 0) return run;
    // Without echo the screen holds only what the program wrote, and without
    // output processing its line ends are not turned into CR LF.
    termios mode;
    tcgetattr(program_side, &mode);
    mode.c_lflag &= ~ECHO;
    mode.c_oflag &= ~OPOST;
    tcsetattr(program_side, TCSANOW, &mode);

    const pid_t child = fork();
    if (child == 0) {
        close(terminal);
        if (login_tty(program_side) != 0 || chdir(dir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
        alarm(60);
        std::vector<char*> argv{const_cast<char*>(CLUSTMAT_PROGRAM)};
        for (const auto& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CLUSTMAT_PROGRAM, argv.data());
        _exit(127);
    }
    close(program_side);
    if (write(terminal, setup.input.data(), setup.input.size())) {
    }
    // Reading ends with an error once the program's side is closed.
    char block[4096];
    for (ssize_t got; (got = read(terminal, block, sizeof block)) > 0;) run.out.append(block, got);
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
    close(terminal);
    std::filesystem::remove_all(dir);
    return run;
}

std::string from_text_mode(const std::string& bytes) {
    return bytes;
}

void make_fifo(const std::string& path) {
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
}

void make_symlink(const std::string& target, const std::string& path) {
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
}

void make_hard_link(const std::string& existing, const std::string& path) {
    EXPECT_EQ(link(existing.c_str(), path.c_str()), 0) << path;
}
