// A private Xvfb for the tests that need an X server: started on a free
// display number (Xvfb picks it through -displayfd) and stopped with the
// object, or killed on purpose to test a server that goes away.
#pragma once

#include "linux/tests/support/process_runner.h"

#include <memory>
#include <string>
#include <vector>

class XvfbServer {
public:
    // extraArguments go to Xvfb as they are (e.g. "-extension", "GLX").
    explicit XvfbServer(std::vector<std::string> extraArguments = {}, int width = 1024, int height = 768);
    ~XvfbServer();

    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; } // ":N"
    std::string environment() const { return "DISPLAY=" + display_; }
    void kill();

private:
    pid_t pid_ = -1;
    std::string display_;
};
