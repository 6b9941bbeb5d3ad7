// The stand-in's public port. Like the real service's host reached over the
// wrong scheme, it answers a TLS handshake at once with a plain-HTTP error
// (so curl fails with "SSL CONNECT ERROR" without waiting for a time-out),
// and relays everything else to the HTTP server behind it.
#pragma once
#include <atomic>
#include <thread>

class TlsFront {
public:
    // Listens on 127.0.0.1:port (0: a free port) and relays to backendPort.
    TlsFront(int port, int backendPort);
    ~TlsFront();
    int Port() const { return m_port; }

private:
    void AcceptLoop();
    static void Serve(int client, int backendPort);

    int m_listener = -1;
    int m_port = 0;
    int m_backendPort;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
};
