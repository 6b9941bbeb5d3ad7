// The stand-in's public port. Like the real service's host reached over the
// wrong scheme, it answers a TLS handshake at once with a plain-HTTP error
// (so curl fails with "SSL CONNECT ERROR" without waiting for a time-out),
// and relays everything else to the HTTP server behind it.
// Made unreachable, it stands for a service that is down behind the network:
// a request (other than the stand-in's own /control and /requests) is held
// unanswered and unseen by the service. Made reachable again, it relays each
// held request whose sender still waits, and drops those whose sender left.
#pragma once
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class TlsFront {
public:
    // Listens on 127.0.0.1:port (0: a free port) and relays to backendPort.
    TlsFront(int port, int backendPort);
    ~TlsFront();
    int Port() const { return m_port; }
    void SetReachable(bool reachable);
    bool Reachable() const { return m_reachable; }
    size_t HeldRequests();

private:
    void AcceptLoop();
    void Serve(int client);
    // Keeps a service request unanswered while the service is unreachable.
    bool Held(int client);

    int m_listener = -1;
    int m_port = 0;
    int m_backendPort;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_reachable{true};
    std::mutex m_heldLock;
    std::vector<int> m_held;
    std::thread m_acceptor;
};
