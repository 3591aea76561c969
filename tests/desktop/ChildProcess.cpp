#include "desktop/ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace desktop_test {

namespace {

// The test's environment with extra's entries added or replaced.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (!extra.contains(key))
            env.push_back(entry);
    }
    for (const auto& [key, value] : extra)
        env.push_back(key + "=" + value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

// posix_spawn, not fork: the test process runs GTK's threads, and only exec
// is safe in a forked copy of a threaded process.
TChildProcess::TChildProcess(const std::vector<std::string>& argv,
                             const std::map<std::string, std::string>& extraEnv, bool quiet) {
    int pipeFds[2];
    if (argv.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> args = argv;
    std::vector<std::string> env = EnvironmentWith(extraEnv);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc =
        posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        return;
    }
    FPid = pid;
    FReader = std::thread([this, fd = pipeFds[0]] { ReadOutput(fd); });
}

TChildProcess::~TChildProcess() {
    Kill();
    if (FReader.joinable())
        FReader.join();
}

void TChildProcess::ReadOutput(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t eol = 0;
        while ((eol = pending.find('\n')) != std::string::npos) {
            {
                const std::lock_guard lock(FLock);
                FLines.push_back(pending.substr(0, eol));
            }
            FChanged.notify_all();
            pending.erase(0, eol + 1);
        }
    }
    close(fd);
    {
        const std::lock_guard lock(FLock);
        if (!pending.empty())
            FLines.push_back(pending);
        FEof = true;
    }
    FChanged.notify_all();
}

std::optional<std::string> TChildProcess::WaitForLine(const std::string& text,
                                                      std::chrono::milliseconds timeout) {
    std::unique_lock lock(FLock);
    std::optional<std::string> found;
    FChanged.wait_for(lock, timeout, [&] {
        for (const std::string& line : FLines)
            if (line.find(text) != std::string::npos) {
                found = line;
                return true;
            }
        return FEof;
    });
    return found;
}

std::vector<std::string> TChildProcess::Lines() const {
    const std::lock_guard lock(FLock);
    return FLines;
}

std::optional<int> TChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (FExit || FPid <= 0)
        return FExit;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(FPid, &status, WNOHANG);
        if (r == FPid) {
            FExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return FExit;
        }
        if (r < 0 || std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        usleep(5000);
    }
}

void TChildProcess::Kill() {
    if (FPid <= 0 || FExit)
        return;
    kill(FPid, SIGKILL);
    (void)Wait(std::chrono::seconds(5));
}

std::optional<long long> FieldOf(const std::string& line, const std::string& key) {
    const std::string pattern = key + "=";
    std::size_t at = line.find(pattern);
    while (at != std::string::npos && at != 0 && line[at - 1] != ' ')
        at = line.find(pattern, at + 1);
    if (at == std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(line.c_str() + at + pattern.size(), &end, 0);
    if (end == line.c_str() + at + pattern.size())
        return std::nullopt;
    return value;
}

long long MonotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

} // namespace desktop_test
