#include "linux/common/usage_text.h"

#include "linux/common/option_table.h"

namespace {

// Where -help's summaries start, and how wide its lines may grow.
constexpr std::size_t usageSummaryColumn = 24;
constexpr std::size_t usageLineWidth = 79;

// Appends text at the summary column, broken at spaces to fit the line.
void appendWrapped(std::string& usage, std::string line, const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        line.resize(usageSummaryColumn, ' ');
        std::size_t end = text.size();
        if (end - at > usageLineWidth - usageSummaryColumn) {
            end = text.rfind(' ', at + usageLineWidth - usageSummaryColumn);
            if (end == std::string::npos || end <= at)
                end = text.find(' ', at) == std::string::npos ? text.size() : text.find(' ', at);
        }
        usage += line + text.substr(at, end - at) + "\n";
        at = end < text.size() ? end + 1 : end;
        line.clear();
    }
}

} // namespace

std::string usageText()
{
    std::string usage = "usage: cascade [options]\n";
    for (const OptionEntry& entry : optionTable()) {
        if (!entry.summary)
            continue;
        std::string option = std::string("  ") + entry.name;
        if (entry.valueName)
            option += std::string(" ") + entry.valueName;
        if (option.size() >= usageSummaryColumn) {
            usage += option + "\n";
            option.clear();
        }
        std::string summary = entry.summary;
        if (entry.defaultText)
            summary += " (default " + entry.defaultText() + ")";
        appendWrapped(usage, option, summary);
    }
    return usage + "Every option may also be written with two dashes (--root).\n"
                   "The manual page, cascade(6) (man 6 cascade), has the details and exit codes.\n";
}
