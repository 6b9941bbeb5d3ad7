// The stand-in's TLS: a server context made from the build's test
// certificate, and the end of one client's TLS connection, whose plain
// stream is handed on to the stand-in's own port (so that outages, held
// requests and resets act on it exactly as on a plain request).
#pragma once
#include <string>

struct ssl_ctx_st;

class TlsServerContext {
public:
    // Empty paths, or files that cannot be loaded: no context (Ready() false).
    TlsServerContext(const std::string& certificateFile, const std::string& keyFile);
    ~TlsServerContext();
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;
    bool Ready() const { return m_context != nullptr; }
    ssl_ctx_st* Get() const { return m_context; }

private:
    ssl_ctx_st* m_context = nullptr;
};

// Completes the handshake on `client` and copies the stream both ways, to
// and from the plain connection `plain`, until either side ends. A reset of
// the plain side resets the client's connection; an orderly end closes the
// TLS session with its close_notify. Closes both.
void ServeTls(ssl_ctx_st* context, int client, int plain);
