// Finding the package's programs and running them without a shell, their
// stderr kept in a temporary file for the window's problem line.
#include "linux/settings/cascade_program.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include <climits>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* installedCascade = "/usr/bin/cascade";

std::string ownFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "";
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

bool runnable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

struct Run {
    std::function<void(bool, const std::string&)> done;
    std::string program;
    std::string errorPath;
};

// The last non-empty line of what the program wrote on stderr.
std::string lastLine(const std::string& path)
{
    gchar* text = nullptr;
    if (!g_file_get_contents(path.c_str(), &text, nullptr, nullptr))
        return "";
    std::string all(text);
    g_free(text);
    while (!all.empty() && all.back() == '\n')
        all.pop_back();
    return all.substr(all.rfind('\n') == std::string::npos ? 0 : all.rfind('\n') + 1);
}

void finished(GObject* source, GAsyncResult* result, gpointer data)
{
    std::unique_ptr<Run> run(static_cast<Run*>(data));
    GSubprocess* process = G_SUBPROCESS(source);
    g_subprocess_wait_finish(process, result, nullptr);
    const bool ok = g_subprocess_get_if_exited(process) && g_subprocess_get_exit_status(process) == 0;
    std::string problem;
    if (!ok) {
        problem = lastLine(run->errorPath);
        if (problem.empty())
            problem = run->program + (g_subprocess_get_if_exited(process)
                                          ? " ended with " + std::to_string(g_subprocess_get_exit_status(process))
                                          : " was killed by signal " + std::to_string(g_subprocess_get_term_sig(process)));
    }
    g_unlink(run->errorPath.c_str());
    g_object_unref(process);
    run->done(ok, problem);
}

} // namespace

std::string findCascade()
{
    const std::string beside = ownFolder() + "/cascade";
    if (runnable(beside))
        return beside;
    return runnable(installedCascade) ? installedCascade : "";
}

std::string findCompanion(const char* name)
{
    const std::string beside = ownFolder() + "/" + name;
    return runnable(beside) ? beside : onPath(name);
}

std::string onPath(const char* name)
{
    gchar* found = g_find_program_in_path(name);
    const std::string path = found ? found : "";
    g_free(found);
    return path;
}

void runProgram(const std::vector<std::string>& arguments,
                std::function<void(bool ok, const std::string& problem)> done)
{
    auto run = std::make_unique<Run>(Run{std::move(done), arguments.at(0), ""});
    GError* error = nullptr;
    gchar* errorPath = nullptr;
    const int fd = g_file_open_tmp("cascade-settings-XXXXXX", &errorPath, &error);
    if (fd >= 0) {
        ::close(fd);
        run->errorPath = errorPath;
        g_free(errorPath);
    }
    std::vector<const gchar*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDOUT_SILENCE);
    if (!run->errorPath.empty())
        g_subprocess_launcher_set_stderr_file_path(launcher, run->errorPath.c_str());
    GSubprocess* process = error ? nullptr : g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    g_object_unref(launcher);
    if (!process) {
        const std::string why = "cannot run " + run->program + ": " + error->message;
        g_error_free(error);
        g_unlink(run->errorPath.c_str());
        run->done(false, why);
        return;
    }
    g_subprocess_wait_async(process, nullptr, finished, run.release());
}
