#pragma once

// Helpers for tests of the kernel and shell stand-ins and of the routines
// over them: environment changes undone at scope exit, scratch folders,
// and child processes with pipes to talk to them.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Sets (or, with nullopt, removes) an environment variable until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string FName;
    std::optional<std::string> FOld;
};

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    explicit TempDir(const std::string& leaf = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::string& Path() const { return FPath; }

private:
    std::string FRoot;
    std::string FPath;
};

void WriteTextFile(const std::string& path, const std::string& text, bool executable = false);
[[nodiscard]] std::string ReadTextFile(const std::string& path);
void CopyFile(const std::string& from, const std::string& to);
// Polls until the file exists or the time is up; false on time-out.
bool WaitForFile(const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Whether a child's standard error joins its output or stays the test's.
enum TErrorOutput { eoKeepErrors, eoMergeErrors };

// A child process whose standard input and output are pipes to the test.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv, TErrorOutput errors = eoKeepErrors);
    ~ChildProcess(); // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] int Pid() const { return FPid; }
    void Send(const std::string& text);
    void CloseInput();
    // The next line of output without its newline; nullopt at end of output or time-out.
    [[nodiscard]] std::optional<std::string>
    ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Everything written until the child closes its output.
    [[nodiscard]] std::string ReadAll(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void Kill();
    // The exit code, or 128 + signal for a child ended by a signal.
    int Wait();

private:
    int FPid = -1;
    int FInput = -1;
    int FOutput = -1;
    std::string FBuffered;
    bool FReaped = false;
    int FStatus = 0;
};

// Runs a program to its end: {exit code, standard output}.
struct RunResult {
    int ExitCode;
    std::string Output;
};
[[nodiscard]] RunResult RunToEnd(const std::vector<std::string>& argv, TErrorOutput errors = eoKeepErrors);

} // namespace testsupport
