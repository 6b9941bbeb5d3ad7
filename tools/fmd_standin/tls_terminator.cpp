// TLS termination for the stand-in's public port, with Debian's OpenSSL.
#include "tls_terminator.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace {

void ResetConnection(int fd)
{
    linger reset{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(fd);
}

// Closed with bytes of the client's still unread, a socket resets the
// connection, and the client may lose the close_notify before it: the rest
// is read first, for a moment at most.
void CloseGracefully(int fd)
{
    shutdown(fd, SHUT_WR);
    char buffer[4096];
    pollfd wait{fd, POLLIN, 0};
    while (poll(&wait, 1, 1000) > 0 && recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    close(fd);
}

struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

enum class Ended { Client, Orderly, Reset };

// Copies decrypted client bytes to `plain` and plain bytes back, encrypted.
Ended Pump(SSL* ssl, int client, int plain)
{
    char buffer[16384];
    pollfd fds[2] = {{client, POLLIN, 0}, {plain, POLLIN, 0}};
    for (;;) {
        if (SSL_pending(ssl) == 0 && poll(fds, 2, -1) <= 0) return Ended::Client;
        if (SSL_pending(ssl) > 0 || (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            int got = SSL_read(ssl, buffer, sizeof buffer);
            if (got <= 0) return Ended::Client;
            if (send(plain, buffer, static_cast<size_t>(got), MSG_NOSIGNAL) != got) return Ended::Reset;
            fds[0].revents = 0;
            continue;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t got = recv(plain, buffer, sizeof buffer, 0);
            if (got == 0) return Ended::Orderly;
            if (got < 0) return errno == ECONNRESET ? Ended::Reset : Ended::Client;
            if (SSL_write(ssl, buffer, static_cast<int>(got)) != got) return Ended::Client;
        }
    }
}

}  // namespace

TlsServerContext::TlsServerContext(const std::string& certificateFile, const std::string& keyFile)
{
    if (certificateFile.empty() || keyFile.empty()) return;
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (!context) return;
    if (SSL_CTX_use_certificate_chain_file(context, certificateFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context) != 1) {
        ERR_clear_error();
        SSL_CTX_free(context);
        return;
    }
    m_context = context;
}

TlsServerContext::~TlsServerContext() { SSL_CTX_free(m_context); }

void ServeTls(ssl_ctx_st* context, int client, int plain)
{
    std::unique_ptr<SSL, SslFree> ssl(SSL_new(context));
    if (!ssl || SSL_set_fd(ssl.get(), client) != 1 || SSL_accept(ssl.get()) != 1) {
        ERR_clear_error();
        close(plain);
        close(client);
        return;
    }
    switch (Pump(ssl.get(), client, plain)) {
    case Ended::Reset:
        // A dropped or cut request reaches the client as the same reset.
        close(plain);
        ResetConnection(client);
        break;
    case Ended::Orderly:
        SSL_shutdown(ssl.get());
        close(plain);
        CloseGracefully(client);
        break;
    case Ended::Client:
        // Gone: the plain side learns of it as a plain sender's leaving.
        close(plain);
        close(client);
        break;
    }
    ERR_clear_error();
}
