// TLS sniffing and relaying for the stand-in's public port.
#include "tls_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

constexpr unsigned char kTlsHandshake = 0x16;

int ConnectTo(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Whether a plain request is addressed to the stand-in itself rather than to
// the service: those pass even while the service is unreachable.
bool ForTheStandin(int client)
{
    char start[16] = {};
    ssize_t got = recv(client, start, sizeof start - 1, MSG_PEEK);
    std::string line(start, got > 0 ? static_cast<size_t>(got) : 0);
    return line.rfind("POST /control", 0) == 0 || line.rfind("GET /requests", 0) == 0;
}

// Whether the sender has shut its side (a killed program's socket has).
bool SenderLeft(int client)
{
    pollfd check{client, POLLRDHUP, 0};
    return poll(&check, 1, 0) > 0 && (check.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

// Copies bytes both ways until either side closes.
void Relay(int a, int b)
{
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    char buffer[16384];
    for (;;) {
        if (poll(fds, 2, -1) <= 0) return;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t got = recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            if (send(fds[1 - i].fd, buffer, static_cast<size_t>(got), MSG_NOSIGNAL) != got) return;
        }
    }
}

}  // namespace

TlsFront::TlsFront(int port, int backendPort) : m_backendPort(backendPort)
{
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_listener, 64) != 0)
        return;
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

TlsFront::~TlsFront()
{
    m_stopping = true;
    shutdown(m_listener, SHUT_RDWR);
    close(m_listener);
    if (m_acceptor.joinable()) m_acceptor.join();
    std::lock_guard<std::mutex> hold(m_heldLock);
    for (int client : m_held) close(client);
}

void TlsFront::AcceptLoop()
{
    while (!m_stopping) {
        int client = accept(m_listener, nullptr, nullptr);
        if (client < 0) continue;
        std::thread([this, client] { Serve(client); }).detach();
    }
}

void TlsFront::Serve(int client)
{
    unsigned char first = 0;
    pollfd wait{client, POLLIN, 0};
    if (poll(&wait, 1, 30000) > 0 && recv(client, &first, 1, MSG_PEEK) == 1) {
        if (first == kTlsHandshake) {
            // What a plain HTTP server answers to a TLS greeting.
            static const char kAnswer[] = "HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
            send(client, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
        } else if (Held(client)) {
            return;
        } else if (int backend = ConnectTo(m_backendPort); backend >= 0) {
            Relay(client, backend);
            close(backend);
        }
    }
    close(client);
}

bool TlsFront::Held(int client)
{
    bool forTheStandin = ForTheStandin(client);
    std::lock_guard<std::mutex> hold(m_heldLock);
    if (m_reachable || forTheStandin) return false;
    m_held.push_back(client);
    return true;
}

size_t TlsFront::HeldRequests()
{
    std::lock_guard<std::mutex> hold(m_heldLock);
    return m_held.size();
}

void TlsFront::SetReachable(bool reachable)
{
    std::vector<int> held;
    {
        std::lock_guard<std::mutex> hold(m_heldLock);
        m_reachable = reachable;
        if (reachable) held.swap(m_held);
    }
    // Served again from the start: nothing of their requests has been read.
    for (int client : held) {
        if (SenderLeft(client))
            close(client);
        else
            std::thread([this, client] { Serve(client); }).detach();
    }
}
