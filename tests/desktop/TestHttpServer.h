#pragma once

// A small HTTP server on 127.0.0.1 for the desktop tests: serves fixed pages
// and records every request, so a page can report what it saw by fetching
// "/report?..." and a test can count how often a page was loaded.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace desktop_test {

class TTestHttpServer {
public:
    TTestHttpServer();
    ~TTestHttpServer();
    TTestHttpServer(const TTestHttpServer&) = delete;
    TTestHttpServer& operator=(const TTestHttpServer&) = delete;

    [[nodiscard]] bool Running() const noexcept { return FPort != 0; }
    [[nodiscard]] int Port() const noexcept { return FPort; }
    [[nodiscard]] std::string Url(const std::string& path) const;

    // Serves body as text/html for path (without the query).
    void AddPage(const std::string& path, const std::string& body);
    // Every request target seen so far ("/report?key=F5"), in order.
    [[nodiscard]] std::vector<std::string> Requests() const;
    [[nodiscard]] int CountRequests(const std::string& prefix) const;
    // Waits until count requests begin with prefix; the last of them, or
    // nullopt when they did not come within timeout.
    [[nodiscard]] std::optional<std::string> WaitForRequests(const std::string& prefix, int count,
                                                             std::chrono::milliseconds timeout) const;

private:
    void Serve();
    void Answer(int client);

    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    mutable std::mutex FLock;
    mutable std::condition_variable FArrived;
    std::map<std::string, std::string> FPages;
    std::vector<std::string> FRequests;
};

// A port on 127.0.0.1 on which nothing listens (found by binding and closing).
[[nodiscard]] int ClosedLocalPort();

} // namespace desktop_test
