#include "run_program.h"

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

static void spill(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

static void remove_tree(const std::string& path) {
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) return;
}

std::string answers(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

RunResult run_clustmat(const RunSetup& setup) {
    char pattern[] = "/tmp/clustmat-test-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string io = dir + ".io";
    mkdir(io.c_str(), 0700);
    for (const auto& [name, bytes] : setup.files) spill(dir + "/" + name, bytes);
    if (setup.prepare) setup.prepare(dir);
    spill(io + "/in", setup.input);

    pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        int in = open((io + "/in").c_str(), O_RDONLY);
        int out = open((io + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open((io + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
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
    }
    int wait_status = 0;
    waitpid(child, &wait_status, 0);

    RunResult run;
    if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status)) run.signal = WTERMSIG(wait_status);
    run.out = slurp(io + "/out");
    run.err = slurp(io + "/err");
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string path = dir + "/" + entry->d_name;
            struct stat info;
            if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
                run.files[entry->d_name] = slurp(path);
        }
        closedir(d);
    }
    remove_tree(dir);
    remove_tree(io);
    return run;
}
