// Runs the cascade program (or Xvfb) as a child process for the tests:
// arguments, extra environment, captured stderr and a hard time limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessResult {
    bool exited = false;   // ended through exit(); false when killed by a signal
    int exitCode = -1;
    int signal = 0;        // the signal that ended it, when !exited
    bool timedOut = false; // still running at the limit, then killed
    std::string errorText; // everything it wrote on stderr
    double seconds = 0.0;  // wall time until it ended
};

class ChildProcess {
public:
    // env entries "NAME=value" are added to (or replace) the test's own;
    // "NAME=" with nothing after the '=' removes NAME.
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void sendSignal(int signal);
    // True while the child is running (reaps it if it has ended).
    bool running();
    // Waits at most `limit` seconds, then kills it with SIGKILL.
    ProcessResult wait(double limit);

private:
    pid_t pid_ = -1;
    std::string errorFile_;
    bool reaped_ = false;
    int status_ = 0;
    double started_ = 0.0;
    double ended_ = 0.0;
};

// Runs to the end (or the limit).
ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                         double limit = 60.0);

// Number of lines in text (a final line without '\n' counts).
int lineCount(const std::string& text);
double monotonicSeconds();
