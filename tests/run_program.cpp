#include "run_program.h"

#include "gbk.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pty.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

static void spill(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

RunResult run_clustmat(const RunSetup& setup) {
    char pattern[] = "/tmp/clustmat-test-XXXXXX";
    const std::string io = mkdtemp(pattern), dir = io + "/run";
    mkdir(dir.c_str(), 0700);
    for (const auto& [name, bytes] : setup.files) spill(dir + "/" + name, bytes);
    if (setup.prepare) setup.prepare(dir);
    spill(io + "/in", setup.input);
    // Shared with the program, so that its offset tells how much it read.
    const int input = open((io + "/in").c_str(), O_RDONLY);

    if (pid_t child = fork(); child == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        dup2(input, 0);
        close(input);
        dup2(open("../out", O_WRONLY | O_CREAT, 0600), 1);
        dup2(open("../err", O_WRONLY | O_CREAT, 0600), 2);
        for (int fd : setup.closed_descriptors) close(fd);
        if (setup.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
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
        RunResult run;
        if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
        if (WIFSIGNALED(wait_status)) run.signal = WTERMSIG(wait_status);
        off_t consumed = lseek(input, 0, SEEK_CUR);
        close(input);
        if (consumed >= 0 && std::size_t(consumed) <= setup.input.size())
            run.unread_input = setup.input.substr(std::size_t(consumed));
        run.out = slurp(io + "/out");
        run.err = slurp(io + "/err");
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file() && !entry.is_symlink())
                run.files[entry.path().filename()] = slurp(entry.path());
        chmod(dir.c_str(), 0700); // a test may have taken the write permission away
        std::filesystem::remove_all(io);
        return run;
    }
}

RunResult run_on_terminal(const RunSetup& setup) {
    char pattern[] = "/tmp/clustmat-test-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    for (const auto& [name, bytes] : setup.files) spill(dir + "/" + name, bytes);
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

    if (pid_t child = fork(); child == 0) {
        close(terminal);
        if (login_tty(program_side) != 0 || chdir(dir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
        alarm(60);
        std::vector<char*> argv{const_cast<char*>(CLUSTMAT_PROGRAM)};
        for (const auto& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CLUSTMAT_PROGRAM, argv.data());
        _exit(127);
    } else {
        close(program_side);
        if (write(terminal, setup.input.data(), setup.input.size())) {
        }
        // Reading ends with an error once the program's side is closed.
        char block[4096];
        for (ssize_t got; (got = read(terminal, block, sizeof block)) > 0;)
            run.out.append(block, got);
        int wait_status = 0;
        waitpid(child, &wait_status, 0);
        if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
        close(terminal);
        std::filesystem::remove_all(dir);
        return run;
    }
}

bool announces_matrix(const std::string& err) {
    return err.find(" written: ") != std::string::npos ||
           err.find(gbk("聚类矩阵已写入")) != std::string::npos;
}

void expect_run(const char* what, const RunSetup& setup, const Expected& expected) {
    SCOPED_TRACE(what);
    RunResult run = run_clustmat(setup);
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
    if (expected.unread_input) {
        EXPECT_EQ(run.unread_input, *expected.unread_input);
    }
}
