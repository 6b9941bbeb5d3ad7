// TLS sniffing and relaying for the stand-in's public port.
#include "tls_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "tls_terminator.h"

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
    return line.rfind("POST /control", 0) == 0 || line.rfind("GET /requests", 0) == 0 ||
           line.rfind("GET /packs", 0) == 0;
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

// Closes with a reset rather than an orderly end.
void Reset(int client)
{
    linger reset{1, 0};
    setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(client);
}

// Passes the request on; false when either side failed. The request comes in
// one or two pieces; it is complete once the line is quiet for a moment.
bool PassRequestOn(int client, int backend)
{
    char buffer[65536];
    pollfd wait{client, POLLIN, 0};
    while (poll(&wait, 1, 300) > 0) {
        ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0 || send(backend, buffer, static_cast<size_t>(got), MSG_NOSIGNAL) != got) return false;
    }
    return true;
}

// Passes the request on and waits for the service's answer, which the client
// never gets.
void RelayRequestOnly(int client, int backend)
{
    char buffer[65536];
    if (!PassRequestOn(client, backend)) return;
    pollfd answer{backend, POLLIN, 0};
    if (poll(&answer, 1, 30000) > 0) recv(backend, buffer, sizeof buffer, 0);
}

// Passes the request on, and only the first half of the service's answer
// back: the service has acted, the client reads an answer cut in its middle.
void RelayCutAnswer(int client, int backend)
{
    char buffer[65536];
    if (!PassRequestOn(client, backend)) return;
    std::string answer;
    pollfd more{backend, POLLIN, 0};
    for (int timeout = 30000; poll(&more, 1, timeout) > 0; timeout = 200) {
        ssize_t got = recv(backend, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        answer.append(buffer, static_cast<size_t>(got));
    }
    send(client, answer.data(), answer.size() / 2, MSG_NOSIGNAL);
}

}  // namespace

TlsFront::TlsFront(int port, int backendPort) : m_port(port), m_backendPort(backendPort)
{
    if (!Listen()) {
        m_port = 0;
        return;
    }
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

TlsFront::~TlsFront()
{
    m_stopping = true;
    {
        std::lock_guard<std::mutex> hold(m_outageLock);
        ++m_outageGeneration;
    }
    m_outageChanged.notify_all();
    if (m_outageTimer.joinable()) m_outageTimer.join();
    StopListening();
    if (m_acceptor.joinable()) m_acceptor.join();
    std::lock_guard<std::mutex> hold(m_heldLock);
    for (int client : m_held) close(client);
}

// On m_port (a free one when 0, remembered), so that a refusing front can
// open the same port again.
bool TlsFront::Listen()
{
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 64) != 0) {
        close(listener);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_listener = listener;
    return true;
}

void TlsFront::StopListening()
{
    int listener = m_listener.exchange(-1);
    if (listener < 0) return;
    shutdown(listener, SHUT_RDWR);
    close(listener);
}

void TlsFront::AcceptLoop()
{
    while (!m_stopping) {
        int listener = m_listener;
        int client = listener >= 0 ? accept(listener, nullptr, nullptr) : -1;
        if (client >= 0) {
            std::thread([this, client] { Serve(client); }).detach();
            continue;
        }
        // Refusing, or just stopped listening: wait for the port to open again.
        std::unique_lock<std::mutex> hold(m_outageLock);
        m_outageChanged.wait_for(hold, std::chrono::milliseconds(20));
    }
}

bool TlsFront::SetOutage(const std::string& kind, int durationMs)
{
    OutageKind next = kind == "none" ? OutageKind::None
                      : kind == "refuse" ? OutageKind::Refuse
                      : kind == "drop" ? OutageKind::Drop
                      : kind == "drop_after" ? OutageKind::DropAfter
                      : kind == "cut_answer" ? OutageKind::CutAnswer
                                             : static_cast<OutageKind>(-1);
    if (static_cast<int>(next) < 0) return false;
    int generation;
    {
        std::lock_guard<std::mutex> hold(m_outageLock);
        m_outage = next;
        generation = ++m_outageGeneration;
        if (next == OutageKind::Refuse)
            StopListening();
        else if (m_listener < 0)
            Listen();
    }
    m_outageChanged.notify_all();
    if (m_outageTimer.joinable()) m_outageTimer.join();
    if (next != OutageKind::None && durationMs > 0)
        m_outageTimer = std::thread([this, durationMs, generation] { EndOutageAfter(durationMs, generation); });
    return true;
}

void TlsFront::EndOutageAfter(int durationMs, int generation)
{
    std::unique_lock<std::mutex> hold(m_outageLock);
    if (m_outageChanged.wait_for(hold, std::chrono::milliseconds(durationMs),
                                 [&] { return m_outageGeneration != generation; }))
        return;  // replaced or ended meanwhile
    m_outage = OutageKind::None;
    ++m_outageGeneration;
    if (m_listener < 0) Listen();
    hold.unlock();
    m_outageChanged.notify_all();
}

std::string TlsFront::Outage()
{
    std::lock_guard<std::mutex> hold(m_outageLock);
    const char* const names[] = {"none", "refuse", "drop", "drop_after", "cut_answer"};
    return names[static_cast<int>(m_outage)];
}

void TlsFront::Serve(int client, bool heldBefore)
{
    unsigned char first = 0;
    pollfd wait{client, POLLIN, 0};
    if (poll(&wait, 1, 30000) > 0 && recv(client, &first, 1, MSG_PEEK) == 1) {
        if (!heldBefore && first != kTlsHandshake && !FromOwnTlsSession(client) && !ForTheStandin(client))
            ++m_plainRequests;
        if (first == kTlsHandshake && m_cutHandshakes) {
            char greeting[4096];
            recv(client, greeting, sizeof greeting, 0);
            Reset(client);
            return;
        } else if (first == kTlsHandshake && AnswersTls()) {
            ServeTlsClient(client);
            return;
        } else if (first == kTlsHandshake) {
            // What a plain HTTP server answers to a TLS greeting.
            static const char kAnswer[] = "HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
            send(client, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
        } else if (Held(client)) {
            return;
        } else if (OutageKind outage = CurrentOutage(client); outage == OutageKind::Drop) {
            char request[65536];
            recv(client, request, sizeof request, 0);
            Reset(client);
            return;
        } else if (outage == OutageKind::DropAfter || outage == OutageKind::CutAnswer) {
            if (int backend = ConnectTo(m_backendPort); backend >= 0) {
                if (outage == OutageKind::DropAfter)
                    RelayRequestOnly(client, backend);
                else
                    RelayCutAnswer(client, backend);
                close(backend);
            }
            Reset(client);
            return;
        } else if (int backend = ConnectTo(m_backendPort); backend >= 0) {
            Relay(client, backend);
            close(backend);
        }
    }
    close(client);
}

void TlsFront::ServeTlsClient(int client)
{
    int plain = ConnectTo(m_port);
    if (plain < 0) {
        Reset(client);
        return;
    }
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(plain, reinterpret_cast<sockaddr*>(&local), &length);
    {
        std::lock_guard<std::mutex> hold(m_innerLock);
        m_innerPorts.insert(ntohs(local.sin_port));
    }
    ++m_tlsSessions;
    ServeTls(m_tls, client, plain);
}

bool TlsFront::FromOwnTlsSession(int client)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (getpeername(client, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
    std::lock_guard<std::mutex> hold(m_innerLock);
    return m_innerPorts.erase(ntohs(peer.sin_port)) > 0;
}

TlsFront::OutageKind TlsFront::CurrentOutage(int client)
{
    if (ForTheStandin(client)) return OutageKind::None;
    std::lock_guard<std::mutex> hold(m_outageLock);
    return m_outage;
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
            std::thread([this, client] { Serve(client, true); }).detach();
    }
}
