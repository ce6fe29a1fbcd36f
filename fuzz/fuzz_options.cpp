// The Linux front's command line from arbitrary bytes. The input is split
// into arguments at NUL bytes when it holds any (so an argument may carry a
// newline), otherwise at newlines. An argument "XSCREENSAVER_WINDOW=..." is
// taken out and its value passed as that variable, in a block of its own
// exact size so ASan reports any read past it. Checked on every input: a
// refusal is exactly one non-empty line; an acceptance is within the limits
// the options promise.
#include "fuzz_check.h"

#include "linux/common/options.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string environmentPrefix = "XSCREENSAVER_WINDOW=";

void checkAccepted(const Options& options)
{
    if (options.help)
        return;
    FUZZ_CHECK(options.width >= 1 && options.width <= maxDimension);
    FUZZ_CHECK(options.height >= 1 && options.height <= maxDimension);
    FUZZ_CHECK(options.frames >= 0 && options.frames <= maxFrames);
    FUZZ_CHECK(options.frameMs >= -1 && options.frameMs <= maxFrameMs);
    FUZZ_CHECK(options.delayMicroseconds >= 0 && options.delayMicroseconds <= maxDelayMicroseconds);
    switch (options.target) {
    case Target::ForeignWindow: FUZZ_CHECK(options.windowId != 0); break;
    case Target::Render:
        // A render always draws a fixed number of frames at a fixed time.
        FUZZ_CHECK(!options.renderPath.empty());
        FUZZ_CHECK(options.frames >= 1);
        FUZZ_CHECK(options.frameMs >= 0);
        break;
    case Target::Lock:
        // Held until the password: no frame count, and never on X11.
        FUZZ_CHECK(options.frames == 0);
        FUZZ_CHECK(options.windowSystem != WindowSystem::X11);
        FUZZ_CHECK(options.idleSeconds == 0);
        break;
    case Target::OwnWindow:
    case Target::Fullscreen:
    case Target::Root: break;
    default: FUZZ_CHECK(!"a target outside the enumeration");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    const char separator = input.find('\0') != std::string::npos ? '\0' : '\n';

    std::vector<std::string> args;
    std::unique_ptr<char[]> environment;
    std::size_t start = 0;
    while (start <= input.size() && !input.empty()) {
        std::size_t stop = input.find(separator, start);
        if (stop == std::string::npos)
            stop = input.size();
        std::string arg = input.substr(start, stop - start);
        if (arg.compare(0, environmentPrefix.size(), environmentPrefix) == 0) {
            const std::string value = arg.substr(environmentPrefix.size());
            environment.reset(new char[value.size() + 1]);
            std::memcpy(environment.get(), value.c_str(), value.size() + 1);
        } else {
            args.push_back(std::move(arg));
        }
        start = stop + 1;
    }

    Options options;
    const ParseResult result = parseOptions(args, environment.get(), options);
    if (result.ok) {
        checkAccepted(options);
    } else {
        FUZZ_CHECK(!result.error.empty());
        // Whatever the arguments held, nothing in the message breaks the line.
        FUZZ_CHECK(result.error.find_first_of("\n\r\v\f") == std::string::npos);
    }
    return 0;
}
