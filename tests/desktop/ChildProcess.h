#pragma once

// A program started for a test: its standard output read line by line on a
// thread of its own, waited for with a time limit, killed when the test ends.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace desktop_test {

class TChildProcess {
public:
    // Starts argv[0] (a path) with the environment of the test plus extra.
    // Standard error goes to the test's, or nowhere when quiet.
    TChildProcess(const std::vector<std::string>& argv,
                  const std::map<std::string, std::string>& extraEnv = {}, bool quiet = false);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    [[nodiscard]] bool Started() const noexcept { return FPid > 0; }
    [[nodiscard]] int Pid() const noexcept { return FPid; }

    // The first line (from the start) containing text, within timeout.
    [[nodiscard]] std::optional<std::string> WaitForLine(const std::string& text,
                                                         std::chrono::milliseconds timeout);
    [[nodiscard]] std::vector<std::string> Lines() const;
    // The exit code, once the program ended within timeout.
    [[nodiscard]] std::optional<int> Wait(std::chrono::milliseconds timeout);
    void Kill();

private:
    void ReadOutput(int fd);

    int FPid = -1;
    std::thread FReader;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::string> FLines;
    bool FEof = false;
    std::optional<int> FExit;
};

// The value of key=value in a line of the smoke program ("t_us=123"), or
// nullopt.
[[nodiscard]] std::optional<long long> FieldOf(const std::string& line, const std::string& key);

// The monotonic clock in microseconds, as the programs under test print it.
[[nodiscard]] long long MonotonicUs();

} // namespace desktop_test
