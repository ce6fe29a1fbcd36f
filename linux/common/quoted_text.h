// Text from the user (an argument, a path, an environment variable) as it
// appears in an error message: in single quotes, control characters shown as
// '?' and cut after maxQuotedLength characters, so that whatever it holds,
// the message stays one line.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t maxQuotedLength = 80;

std::string quoted(const std::string& text);
