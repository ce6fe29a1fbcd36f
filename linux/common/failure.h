// How the program says a failure: one line on stderr, "cascade: " first,
// and the exit status that goes with it.
#pragma once

#include <string>

constexpr int exitFault = 1;       // at run time: display, GL, file
constexpr int exitBadCommand = 2;  // on the command line

int fail(const std::string& message, int status = exitFault);
