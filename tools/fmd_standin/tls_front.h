// The stand-in's public port. Like the real service's host reached over the
// wrong scheme, it answers a TLS handshake at once with a plain-HTTP error
// (so curl fails with "SSL CONNECT ERROR" without waiting for a time-out),
// and relays everything else to the HTTP server behind it.
// Told to cut handshakes, it resets the connection on a TLS greeting instead,
// as a firewall or an attacker on the path can.
// An outage of a kind, for a time or until ended: "refuse" (the port is
// closed), "drop" (the request is read, never passed on, and the connection
// reset), "drop_after" (passed on and acted on, but the answer is lost),
// "cut_answer" (acted on, and the connection reset half-way through the answer).
// Made unreachable, it stands for a service that is down behind the network:
// a request (other than the stand-in's own /control and /requests) is held
// unanswered and unseen by the service. Made reachable again, it relays each
// held request whose sender still waits, and drops those whose sender left.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
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
    void SetCutHandshakes(bool cut) { m_cutHandshakes = cut; }
    bool CutsHandshakes() const { return m_cutHandshakes; }
    size_t HeldRequests();
    // "none", "refuse", "drop", "drop_after" or "cut_answer"; false for another name.
    // durationMs > 0 ends the outage by itself after that time.
    bool SetOutage(const std::string& kind, int durationMs);
    std::string Outage();

private:
    void AcceptLoop();
    void Serve(int client);
    // Keeps a service request unanswered while the service is unreachable.
    bool Held(int client);
    enum class OutageKind { None, Refuse, Drop, DropAfter, CutAnswer };
    OutageKind CurrentOutage(int client);
    bool Listen();
    void StopListening();
    void EndOutageAfter(int durationMs, int generation);

    std::mutex m_outageLock;
    std::condition_variable m_outageChanged;
    OutageKind m_outage = OutageKind::None;
    int m_outageGeneration = 0;
    std::thread m_outageTimer;

    std::atomic<int> m_listener{-1};
    int m_port = 0;
    int m_backendPort;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_reachable{true};
    std::atomic<bool> m_cutHandshakes{false};
    std::mutex m_heldLock;
    std::vector<int> m_held;
    std::thread m_acceptor;
};
