#include "RdimgRun.h"

#include "skin/imaging/PngImageTestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace rdimg_test {

namespace {

// Generous: the sanitizer build is slow, and a hang must still end.
constexpr auto TimeLimit = std::chrono::seconds(120);

class TScratchDir {
public:
    TScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rdimg-test-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            FPath = pattern;
    }
    ~TScratchDir() {
        std::error_code ec;
        if (!FPath.empty())
            std::filesystem::remove_all(FPath, ec);
    }
    [[nodiscard]] const std::string& Path() const noexcept { return FPath; }

private:
    std::string FPath;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The exit code once the child ends, killing it after the time limit.
int WaitFor(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + TimeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

const std::string& ScratchDir() {
    static const TScratchDir dir;
    return dir.Path();
}

std::string ScratchPath(const std::string& name) {
    return ScratchDir() + "/" + name;
}

TRdimgRun RunRdimg(const std::vector<std::string>& args) {
    const std::string outPath = ScratchPath("stdout.txt");
    const std::string errPath = ScratchPath("stderr.txt");
    std::vector<std::string> argv{RDIMG_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    TRdimgRun run;
    if (rc != 0) {
        run.Err = "cannot start " + argv[0];
        return run;
    }
    run.ExitCode = WaitFor(pid);
    run.Out = ReadText(outPath);
    run.Err = ReadText(errPath);
    return run;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = ReadText(path);
    return {text.begin(), text.end()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::uint8_t> IhdrOf(const std::vector<std::uint8_t>& png) {
    const auto chunks = skin::pngtest::ChunksOf(png);
    const skin::pngtest::TFileChunk* ihdr = skin::pngtest::FindFileChunk(chunks, "IHDR");
    return ihdr ? ihdr->Data : std::vector<std::uint8_t>{};
}

std::string RgbaPamHeader(std::uint32_t width, std::uint32_t height) {
    return "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
           "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
}

} // namespace rdimg_test
