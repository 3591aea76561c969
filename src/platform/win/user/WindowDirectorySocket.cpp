#include "platform/win/user/Message.h"
#include "platform/win/user/WindowDirectorySocket_p.h"
#include "platform/win/user/WindowManager_p.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace win {

namespace {

bool FillAddress(sockaddr_un& address, const std::string& path) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads one whole record before the deadline; false on end, error or time-out.
bool ReadRecord(int fd, TWireMessage& m, std::chrono::steady_clock::time_point deadline) {
    std::size_t got = 0;
    while (got < sizeof(m)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        const ssize_t r = ::recv(fd, reinterpret_cast<char*>(&m) + got, sizeof(m) - got, MSG_DONTWAIT);
        if (r == 0 || (r < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        if (r > 0)
            got += static_cast<std::size_t>(r);
    }
    return true;
}

// Hands a message to the window it names, if that is one of our listed
// (live, top-level) windows.
void Deliver(const TWireMessage& m) {
    if (m.Magic != kWireMagic || !MayCrossProcesses(m.Message))
        return;
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(m.Hwnd));
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w || w->Destroying || !Wm().IsTopLevel(*w))
            return;
    }
    PostMessageW(hwnd, m.Message, static_cast<WPARAM>(m.WParam), static_cast<LPARAM>(m.LParam));
}

// Delivers what one connection carries, within a fixed time and count, so a
// peer that sends garbage, too much or nothing at all cannot hold the thread.
void ServeConnection(int fd) {
    ucred peer{};
    socklen_t length = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
        return;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(TDirectoryListener::kConnectionDeadlineMs);
    TWireMessage m{};
    for (int n = 0; n < TDirectoryListener::kMaxMessagesPerConnection && ReadRecord(fd, m, deadline); ++n)
        Deliver(m);
}

} // namespace

bool MayCrossProcesses(UINT msg) {
    return msg == WM_NULL || msg == WM_CLOSE || (msg >= WM_USER && msg <= 0xFFFF);
}

bool SendWireMessage(const std::string& path, const TWireMessage& message) {
    sockaddr_un address{};
    if (!FillAddress(address, path))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const bool sent =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
        ::send(fd, &message, sizeof(message), MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof(message));
    ::close(fd);
    return sent;
}

TDirectoryListener& TDirectoryListener::Instance() {
    // Destroyed at exit, which joins the thread before the statics it uses go.
    static TDirectoryListener listener;
    return listener;
}

TDirectoryListener::TDirectoryListener() : FWake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TDirectoryListener::~TDirectoryListener() {
    {
        std::lock_guard lock(FLock);
        RetireLocked();
        FStopping = true;
    }
    Wake();
    // A forked child that exits normally has no copy of the thread to join.
    if (FThread && FThreadProcess == ::getpid())
        FThread->join();
    else
        (void)FThread.release();
    for (int fd : FRetired)
        ::close(fd);
    if (FWake >= 0)
        ::close(FWake);
}

bool TDirectoryListener::Listen(const std::string& path) {
    std::lock_guard lock(FLock);
    if (FListen >= 0 && FPath == path)
        return true;
    RetireLocked();
    sockaddr_un address{};
    if (FWake < 0 || !FillAddress(address, path))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    // The private folder already keeps other users out; the mode says so too.
    ::chmod(path.c_str(), 0600);
    FListen = fd;
    FPath = path;
    if (!FThread) {
        FThreadProcess = ::getpid();
        FThread = std::make_unique<std::thread>([this] { Run(); });
    } else
        Wake();
    return true;
}

void TDirectoryListener::Stop() {
    {
        std::lock_guard lock(FLock);
        RetireLocked();
    }
    Wake();
}

void TDirectoryListener::RetireLocked() {
    if (FListen < 0)
        return;
    ::unlink(FPath.c_str());
    FRetired.push_back(FListen);
    FListen = -1;
    FPath.clear();
}

void TDirectoryListener::Wake() {
    const std::uint64_t one = 1;
    if (FWake >= 0 && ::write(FWake, &one, sizeof(one)) < 0) {
        // Only a full counter fails, and that wakes the thread as well.
    }
}

void TDirectoryListener::Run() {
    for (;;) {
        int listenFd = -1;
        {
            std::lock_guard lock(FLock);
            for (int fd : FRetired)
                ::close(fd);
            FRetired.clear();
            if (FStopping)
                return;
            listenFd = FListen;
        }
        pollfd fds[2] = {{FWake, POLLIN, 0}, {listenFd, POLLIN, 0}};
        if (::poll(fds, listenFd >= 0 ? 2 : 1, -1) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            if (::read(FWake, &count, sizeof(count)) < 0) {
                // Already drained: nothing to do.
            }
        }
        if (listenFd >= 0 && (fds[1].revents & POLLIN)) {
            const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                ServeConnection(client);
                ::close(client);
            }
        }
    }
}

} // namespace win
