#pragma once

// The socket half of the session's window directory: each process that
// lists top-level windows listens on a local stream socket in the directory,
// and other processes of the same user post to its windows through it.
//
// One thread per process serves the socket. It never blocks the window
// manager: a connection gets a short deadline and a few messages, whatever
// the peer sends, and is dropped unless the peer runs as the same user.

#include "platform/win/user/UserTypes.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace win {

// One posted message on the wire.
struct TWireMessage {
    std::uint32_t Magic;
    std::uint32_t Hwnd;
    std::uint32_t Message;
    std::uint32_t Reserved;
    std::uint64_t WParam;
    std::int64_t LParam;
};
static_assert(sizeof(TWireMessage) == 32);
constexpr std::uint32_t kWireMagic = 0x4D574D4C; // "LMWM"

// Only messages that carry no pointers cross processes: those of the
// application's own range, and WM_CLOSE and WM_NULL. Pointers into another
// process's memory mean nothing here, as Windows refuses to marshal them.
[[nodiscard]] bool MayCrossProcesses(UINT msg);

// Sends one message to the socket at path without waiting on the receiver:
// a full backlog or a missing listener is a failure.
[[nodiscard]] bool SendWireMessage(const std::string& path, const TWireMessage& message);

class TDirectoryListener {
public:
    // The process's listener; it stops and removes its socket at exit.
    static TDirectoryListener& Instance();

    // Binds the socket at path (replacing what was there) before returning,
    // so a window listed afterwards can be posted to at once. Listening on
    // the same path again does nothing.
    [[nodiscard]] bool Listen(const std::string& path);
    // Stops listening and removes the socket file.
    void Stop();

    // The serving thread's connection deadline, in milliseconds.
    static constexpr int kConnectionDeadlineMs = 250;
    // A connection carries a few messages; more are not read.
    static constexpr int kMaxMessagesPerConnection = 64;

    TDirectoryListener(const TDirectoryListener&) = delete;
    TDirectoryListener& operator=(const TDirectoryListener&) = delete;

private:
    TDirectoryListener();
    ~TDirectoryListener();

    void Run();
    void Wake();
    void RetireLocked();

    std::mutex FLock;
    int FWake = -1;            // eventfd that interrupts the thread's poll
    int FListen = -1;          // the listening socket, -1 when stopped
    std::string FPath;         // its file
    std::vector<int> FRetired; // closed by the thread, which may be polling them
    bool FStopping = false;
    std::unique_ptr<std::thread> FThread;
    int FThreadProcess = 0; // the process that started the thread
};

} // namespace win
