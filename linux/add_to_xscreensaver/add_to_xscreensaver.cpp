// cascade-add-to-xscreensaver: puts Cascade into the user's XScreenSaver
// list, the programs resource of ~/.xscreensaver. Where the file or its list
// is missing, the list XScreenSaver uses is the system's (its app-defaults),
// so that list is the one written, as xscreensaver-settings would. Cascade
// goes last so that the index a "selected:" setting holds still names the
// same program. Exit status: 0 when Cascade is in the list (added now or
// already), 1 when nothing changed, 2 for a bad argument.
#include "linux/add_to_xscreensaver/xscreensaver_list.h"
#include "linux/safe_replace/snapshot_replace.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

const char* const me = "cascade-add-to-xscreensaver";
constexpr int exitChanged = 0;
constexpr int exitUnchanged = 1;
constexpr int exitBadArgument = 2;
// A settings program rewriting the file as we work makes us start again;
// more rewrites than this in a row and we leave it to the user.
constexpr int maxAttempts = 5;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

// Until the file is replaced, a TERM, INT or HUP makes us give up with
// nothing changed; after, it lets us finish: either way no temporary file is
// left and the exit status says which happened.
void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A closed pipe on stdout must not end us between the change and its report.
    std::signal(SIGPIPE, SIG_IGN);
}

// With stdout or stderr closed, a file we open could take its number and
// receive our messages.
void keepStandardStreamsOpen()
{
    for (int fd = 0; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && ::open("/dev/null", O_RDWR) != fd)
            std::_Exit(exitUnchanged);
    }
}

int refuse(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", me, message.c_str());
    return exitUnchanged;
}

// Messages are best effort: failing to print them changes nothing that
// happened to the file.
void say(const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); }

bool readSystemFile(const std::string& path, std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

void reportChange(const std::string& path, CascadeState before, const std::string& backup)
{
    say(before == CascadeState::Disabled
            ? "Cascade was in the XScreenSaver list in " + path + " but switched off; it is on now."
            : "Cascade is in the XScreenSaver list in " + path + " now.");
    if (!backup.empty())
        say("The old file is kept as " + backup + ".");
    say("XScreenSaver reads the file again by itself; pick Cascade in xscreensaver-settings.");
}

int addToList(const std::string& path, const std::string& systemPath)
{
    std::string system;
    const bool haveSystem = readSystemFile(systemPath, system);
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        FileSnapshot snapshot;
        std::string error;
        if (!readSnapshot(path, snapshot, error))
            return refuse(error);
        ListEdit edit;
        const bool ownList = snapshot.exists && findProgramsList(snapshot.bytes).found;
        if (!ownList && !haveSystem)
            return refuse("no programs list in " + path + " and no system list in " + systemPath +
                          ": is XScreenSaver installed?");
        if (!addCascade(snapshot.exists ? &snapshot.bytes : nullptr, system, systemPath, edit, error))
            return refuse(error);
        if (edit.before == CascadeState::Enabled) {
            say("Cascade is already in the XScreenSaver list (" + (edit.fromSystem ? systemPath : path) +
                "); nothing changed.");
            return exitChanged;
        }
        ReplaceRequest request{path, &snapshot, edit.text, path + ".before-cascade", &stopRequested};
        std::string backup;
        switch (replaceIfUnchanged(request, backup, error)) {
        case ReplaceResult::Replaced:
            reportChange(path, edit.before, backup);
            return exitChanged;
        case ReplaceResult::FileChanged:
            continue;
        case ReplaceResult::Stopped:
            return refuse("stopped by a signal; nothing changed");
        case ReplaceResult::Failed:
            return refuse(error + "; nothing changed");
        }
    }
    return refuse(path + " kept changing while it was read (" + std::to_string(maxAttempts) +
                  " tries); nothing changed");
}

} // namespace

int main(int argc, char** argv)
{
    keepStandardStreamsOpen();
    catchStopSignals();
    if (argc > 1) {
        const std::string argument = argv[1];
        if (argc == 2 && (argument == "-h" || argument == "--help" || argument == "-help")) {
            say(std::string("Usage: ") + me);
            say(std::string("Adds Cascade to the XScreenSaver list in ~/.xscreensaver (see ") + me + "(1)).");
            return exitChanged;
        }
        std::fprintf(stderr, "%s: unknown argument '%s' (try --help)\n", me, argv[argc == 2 ? 1 : 2]);
        return exitBadArgument;
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return refuse("HOME is not set");
    const char* systemList = std::getenv("CASCADE_APP_DEFAULTS");
    std::string path = std::string(home) + "/.xscreensaver";
    std::string error;
    if (!followLinks(path, error))
        return refuse(error);
    return addToList(path, systemList && *systemList ? systemList : "/etc/X11/app-defaults/XScreenSaver");
}
