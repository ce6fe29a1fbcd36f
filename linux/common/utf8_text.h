// UTF-8 text taken a character at a time, for text drawn in the bitmap font
// (a user's name, PAM's messages): decoded where it is valid, a replacement
// character where it is not, never read past its end; cut and wrapped by
// characters, not bytes, so that no sequence is ever split.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The character at text (which must not be at its NUL), moving text past it.
// A malformed or cut sequence gives U+FFFD and moves one byte on.
char32_t takeCharacter(const char*& text);

std::size_t characterCount(const char* text);

// The first count characters of text.
std::string firstCharacters(const std::string& text, std::size_t count);

// text in at most rows lines of at most width characters, broken at spaces
// where there are any; what does not fit ends the last line with "...".
std::vector<std::string> wrapText(const std::string& text, std::size_t width, std::size_t rows);
