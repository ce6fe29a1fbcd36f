#include "linux/common/options.h"

#include "linux/common/option_rules.h"
#include "linux/common/option_table.h"

ParseResult parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow,
                         Options& options)
{
    ParseState state;
    ParseResult result;
    if (!readArguments(args, state, result.error))
        return result;
    // -help and -version answer whatever else the line holds.
    if (!state.parsed.help && !state.parsed.version && !chooseTarget(state, xscreensaverWindow, result.error))
        return result;
    options = state.parsed;
    result.ok = true;
    return result;
}
