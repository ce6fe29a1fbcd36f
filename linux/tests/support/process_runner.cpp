#include "linux/tests/support/process_runner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

double monotonicSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) + time.tv_nsec * 1e-9;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    char pattern[] = "/tmp/cascade-test-stderr-XXXXXX";
    const int errorFd = mkstemp(pattern);
    errorFile_ = pattern;
    started_ = monotonicSeconds();
    pid_ = fork();
    if (pid_ == 0) {
        for (const std::string& entry : env) {
            const auto equals = entry.find('=');
            const std::string name = entry.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : entry.substr(equals + 1);
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        dup2(errorFd, 2);
        const int nullFd = open("/dev/null", O_RDWR);
        dup2(nullFd, 0);
        dup2(nullFd, 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        // In the sanitized build the leak report at exit lists only two
        // allocations that llvmpipe's threads make through libgcc_s, from a
        // module already unloaded, so no suppression by name can match them.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
        execv(args[0], args.data());
        std::fprintf(stderr, "exec %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(errorFd);
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    unlink(errorFile_.c_str());
}

void ChildProcess::sendSignal(int signal)
{
    if (pid_ > 0 && !reaped_)
        kill(pid_, signal);
}

bool ChildProcess::running()
{
    if (reaped_)
        return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        reaped_ = true;
        ended_ = monotonicSeconds();
        return false;
    }
    return true;
}

ProcessResult ChildProcess::wait(double limit)
{
    ProcessResult result;
    const double deadline = monotonicSeconds() + limit;
    while (running()) {
        if (monotonicSeconds() > deadline) {
            result.timedOut = true;
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            reaped_ = true;
            ended_ = monotonicSeconds();
            break;
        }
        usleep(2000);
    }
    result.exited = WIFEXITED(status_);
    result.exitCode = result.exited ? WEXITSTATUS(status_) : -1;
    result.signal = WIFSIGNALED(status_) ? WTERMSIG(status_) : 0;
    result.seconds = ended_ - started_;
    std::ifstream in(errorFile_);
    std::stringstream text;
    text << in.rdbuf();
    result.errorText = text.str();
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env, double limit)
{
    ChildProcess child(argv, env);
    return child.wait(limit);
}

int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    if (!text.empty() && text.back() != '\n')
        ++lines;
    return lines;
}
