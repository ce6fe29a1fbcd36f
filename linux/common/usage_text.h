// The -help text, one line per option of the parser's table (option_table.h).
#pragma once

#include <string>

std::string usageText();
