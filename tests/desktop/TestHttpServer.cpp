#include "desktop/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace desktop_test {

namespace {

int BindLocal(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

void SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace

TTestHttpServer::TTestHttpServer() {
    FListener = BindLocal(0);
    if (FListener < 0 || listen(FListener, 16) != 0)
        return;
    FPort = PortOf(FListener);
    FThread = std::thread([this] { Serve(); });
}

TTestHttpServer::~TTestHttpServer() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
    if (FListener >= 0)
        close(FListener);
}

std::string TTestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + path;
}

void TTestHttpServer::AddPage(const std::string& path, const std::string& body) {
    const std::lock_guard lock(FLock);
    FPages[path] = body;
}

std::vector<std::string> TTestHttpServer::Requests() const {
    const std::lock_guard lock(FLock);
    return FRequests;
}

int TTestHttpServer::CountRequests(const std::string& prefix) const {
    const std::lock_guard lock(FLock);
    int n = 0;
    for (const std::string& r : FRequests)
        n += r.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

std::optional<std::string> TTestHttpServer::WaitForRequests(const std::string& prefix, int count,
                                                            std::chrono::milliseconds timeout) const {
    std::unique_lock lock(FLock);
    std::optional<std::string> last;
    FArrived.wait_for(lock, timeout, [&] {
        int seen = 0;
        for (const std::string& r : FRequests)
            if (r.rfind(prefix, 0) == 0 && ++seen == count) {
                last = r;
                return true;
            }
        return false;
    });
    return last;
}

void TTestHttpServer::Serve() {
    while (!FStop) {
        pollfd p{FListener, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        const int client = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            Answer(client);
            close(client);
        }
    }
}

// One request per connection: read the head, answer, close.
void TTestHttpServer::Answer(int client) {
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p{client, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0)
            return;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t sp1 = head.find(' ');
    const std::size_t sp2 = head.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos)
        return;
    const std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string path = target.substr(0, target.find('?'));
    std::string body;
    bool found = false;
    {
        const std::lock_guard lock(FLock);
        FRequests.push_back(target);
        const auto it = FPages.find(path);
        found = it != FPages.end();
        if (found)
            body = it->second;
    }
    FArrived.notify_all();
    const std::string status = found ? "200 OK" : (path == "/report" ? "204 No Content" : "404 Not Found");
    SendAll(client, "HTTP/1.1 " + status +
                        "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n" +
                        "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                        body);
}

int ClosedLocalPort() {
    const int fd = BindLocal(0);
    if (fd < 0)
        return 0;
    const int port = PortOf(fd);
    close(fd);
    return port;
}

} // namespace desktop_test
