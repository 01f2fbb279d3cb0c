#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

// What a program run by RunProgram left: its exit status (1000 + the signal when a signal
// ended it) and everything it wrote to stdout and stderr.
struct ProgramOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline void DrainInto(int fd, std::string& into) {
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        into.append(buffer, static_cast<std::size_t>(got));
    }
}

// argv for execv: the program, then the arguments (which must outlive the result).
inline std::vector<char*> ProgramArgv(const std::string& program, std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Runs the program in folder with stdout and stderr on pipes (no terminal), with this
// process's environment, and waits for it.
inline ProgramOutcome RunProgram(const std::string& program, std::vector<std::string> args,
                                 const std::string& folder) {
    int out[2];
    int err[2];
    ProgramOutcome outcome;
    if (pipe(out) != 0 || pipe(err) != 0) {
        return outcome;
    }
    std::vector<char*> argv = ProgramArgv(program, args);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        if (chdir(folder.c_str()) != 0) {
            _exit(99);
        }
        execv(program.c_str(), argv.data());
        _exit(98);
    }
    close(out[1]);
    close(err[1]);
    std::thread errReader([&] { DrainInto(err[0], outcome.err); });
    DrainInto(out[0], outcome.out);
    errReader.join();
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return outcome;
}
