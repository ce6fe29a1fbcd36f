// The values the command line's options take, read strictly: plain digits
// checked one by one, so that no input can overflow, and no sign, space or
// suffix. Portable.
#pragma once

#include <cstdint>
#include <string>

// Plain decimal digits only, at most limit.
bool parseBounded(const std::string& text, std::uint64_t limit, std::uint64_t& value);

// A window id in decimal or 0x hexadecimal, non-zero and within 32 bits.
bool parseWindowId(const std::string& text, unsigned long& id);

// "WxH" with both sides 1..maxDimension.
bool parseSize(const std::string& text, int& width, int& height);

// A fraction of the height per letterbox bar: "0", "0.125", ".25", below
// one half.
bool parseLetterbox(const std::string& text, double& fraction);
