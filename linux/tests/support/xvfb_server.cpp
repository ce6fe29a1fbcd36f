#include "linux/tests/support/xvfb_server.h"

#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

XvfbServer::XvfbServer(std::vector<std::string> extraArguments, int width, int height)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int nullFd = open("/dev/null", O_RDWR);
        dup2(nullFd, 0);
        dup2(nullFd, 1);
        dup2(nullFd, 2);
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        std::vector<std::string> arguments = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp",
                                              "-noreset"};
        arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    const double deadline = monotonicSeconds() + 20.0;
    while (monotonicSeconds() < deadline) {
        if (poll(&readable, 1, 200) <= 0)
            continue;
        char c = 0;
        if (read(fds[0], &c, 1) != 1)
            break;
        if (c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty() && number.back() != '\n')
        display_ = ":" + number;
}

void XvfbServer::kill()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

XvfbServer::~XvfbServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}
