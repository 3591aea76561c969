#include "platform/win/kernel/KernelTestSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport {

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = std::getenv(name))
        FOld = old;
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (FOld)
        ::setenv(FName.c_str(), FOld->c_str(), 1);
    else
        ::unsetenv(FName.c_str());
}

TempDir::TempDir(const std::string& leaf) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumora-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    FRoot = pattern;
    FPath = leaf.empty() ? FRoot : FRoot + "/" + leaf;
    std::filesystem::create_directories(FPath);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
}

void WriteTextFile(const std::string& path, const std::string& text, bool executable) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << text;
    }
    ::chmod(path.c_str(), executable ? 0755 : 0644);
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

bool WaitForFile(const std::string& path, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::access(path.c_str(), F_OK) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, TErrorOutput errors) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    if (errors == eoMergeErrors)
        posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    FInput = input[1];
    FOutput = output[0];
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    FPid = pid;
}

ChildProcess::~ChildProcess() {
    CloseInput();
    if (!FReaped)
        Kill();
    if (FOutput >= 0)
        ::close(FOutput);
}

void ChildProcess::Send(const std::string& text) {
    [[maybe_unused]] const ssize_t written = ::write(FInput, text.data(), text.size());
}

void ChildProcess::CloseInput() {
    if (FInput >= 0)
        ::close(FInput);
    FInput = -1;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const std::size_t newline = FBuffered.find('\n');
        if (newline != std::string::npos) {
            std::string line = FBuffered.substr(0, newline);
            FBuffered.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{FOutput, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char chunk[4096];
        const ssize_t got = ::read(FOutput, chunk, sizeof chunk);
        if (got <= 0)
            return std::nullopt;
        FBuffered.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string ChildProcess::ReadAll(std::chrono::milliseconds timeout) {
    std::string all;
    while (auto line = ReadLine(timeout))
        all += *line + "\n";
    all += FBuffered;
    FBuffered.clear();
    return all;
}

void ChildProcess::Kill() {
    if (FPid > 0 && !FReaped) {
        ::kill(FPid, SIGKILL);
        Wait();
    }
}

int ChildProcess::Wait() {
    if (!FReaped) {
        while (::waitpid(FPid, &FStatus, 0) < 0 && errno == EINTR) {
        }
        FReaped = true;
    }
    return WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : 128 + WTERMSIG(FStatus);
}

RunResult RunToEnd(const std::vector<std::string>& argv, TErrorOutput errors) {
    ChildProcess child(argv, errors);
    child.CloseInput();
    std::string output = child.ReadAll();
    return {child.Wait(), std::move(output)};
}

} // namespace testsupport
