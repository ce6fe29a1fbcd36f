// The cascade program, found and run: the settings window changes nothing
// itself but runs cascade with the options a user would type at a terminal,
// so that both share one record and one behaviour.
#pragma once

#include <functional>
#include <string>
#include <vector>

// cascade beside this program (a build folder, or a test's copy), else
// where the package installs it; "" where neither is there.
std::string findCascade();

// A program of the package's, beside this one or on PATH; "" where neither.
std::string findCompanion(const char* name);
// A program on PATH; "" where it is not there.
std::string onPath(const char* name);

// Runs arguments (arguments[0] the program; never through a shell) in the
// background. done(ok, problem) follows on the main loop once it ends: ok
// where it ended with 0, else problem says why in words (its last line on
// stderr where it wrote one). Its output goes nowhere: a program it leaves
// running (the watcher) holds no pipe of ours.
void runProgram(const std::vector<std::string>& arguments,
                std::function<void(bool ok, const std::string& problem)> done);
