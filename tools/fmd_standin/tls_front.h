// The stand-in's public port. With a TLS context it ends TLS itself, as the
// real service's host does, and hands the plain stream on to this same port;
// everything plain is relayed to the HTTP server behind it (the update
// server's requests and the stand-in's own). Told to speak plain HTTP only,
// it answers a TLS greeting at once with a plain-HTTP error, as a plain
// server does (curl fails with "SSL CONNECT ERROR" without waiting); told to
// cut handshakes, it resets the connection on a TLS greeting instead, as a
// firewall or an attacker on the path can.
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
#include <set>
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
    // The context outlives the front; null: plain HTTP only.
    void SetTlsContext(struct ssl_ctx_st* context) { m_tls = context; }
    void SetAnswerTls(bool answer) { m_answerTls = answer; }
    bool AnswersTls() const { return m_tls && m_answerTls; }
    // Service requests that came over TLS, and over plain HTTP.
    long TlsSessions() const { return m_tlsSessions; }
    long PlainRequests() const { return m_plainRequests; }
    void SetCutHandshakes(bool cut) { m_cutHandshakes = cut; }
    bool CutsHandshakes() const { return m_cutHandshakes; }
    size_t HeldRequests();
    // "none", "refuse", "drop", "drop_after" or "cut_answer"; false for another name.
    // durationMs > 0 ends the outage by itself after that time.
    bool SetOutage(const std::string& kind, int durationMs);
    std::string Outage();

private:
    void AcceptLoop();
    // `heldBefore`: served again after the service became reachable.
    void Serve(int client, bool heldBefore = false);
    void ServeTlsClient(int client);
    // Whether the connection is one this front opened for a TLS session's
    // plain stream (forgotten once asked).
    bool FromOwnTlsSession(int client);
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
    struct ssl_ctx_st* m_tls = nullptr;
    std::atomic<bool> m_answerTls{true};
    std::atomic<long> m_tlsSessions{0};
    std::atomic<long> m_plainRequests{0};
    std::mutex m_innerLock;
    std::set<int> m_innerPorts;  // local ports of the TLS sessions' plain streams
    std::atomic<bool> m_cutHandshakes{false};
    std::mutex m_heldLock;
    std::vector<int> m_held;
    std::thread m_acceptor;
};
