// fmd_standin: a local stand-in for the QuorvixFMD verification service.
// Listens on 127.0.0.1 (a free port unless --port is given), reports the
// port on standard output and in --port-file, and ends with its parent, on
// POST /shutdown, or after --time-limit seconds.
//
//   fmd_standin --account NAME:PASSWORD [--account ...] [--packs FILE]
//               [--port N] [--port-file FILE] [--record-dir DIR]
//               [--recommission-days N] [--delay-ms N]
//               [--mode normal|html|drop|hang|partial] [--time-limit SECONDS]
//               [--update-dir DIR] [--tls-cert FILE --tls-key FILE]
//
// It speaks TLS with the certificate given, or else with the build's test
// certificate beside the executable (standin-cert.pem, standin-key.pem, made
// by tools/make-test-ca.sh); without one it speaks plain HTTP only.
//
// Endpoints: POST /v001.aspx (the service), GET /requests (recorded bodies),
// POST /control {"delay_ms","mode","advance_days","reset","reachable","cut_tls","tls" (false: plain only),
// "outage" (none|refuse|drop|drop_after|cut_answer),"outage_ms"} (and the update server's
// keys), GET /packs (per pack: state changes, decommission requests), POST /shutdown; with --update-dir, the update server's
// requests (update_server.h), answered from that folder.
#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include <httplib.h>

#include "standin_service.h"
#include "tls_front.h"
#include "tls_terminator.h"
#include "update_server.h"

namespace {

std::mutex g_stopLock;
std::condition_variable g_stopSignal;
bool g_stopping = false;

void Usage()
{
    std::cerr << "usage: fmd_standin --account NAME:PASSWORD [--packs FILE] [--port N] [--port-file FILE]\n"
                 "       [--record-dir DIR] [--recommission-days N] [--delay-ms N] [--mode normal|html|drop|hang|partial]\n"
                 "       [--time-limit SECONDS] [--update-dir DIR] [--tls-cert FILE --tls-key FILE]\n";
    std::exit(2);
}

// Waits up to `ms`, but returns at once when the server is stopping.
void InterruptibleWait(int ms)
{
    std::unique_lock<std::mutex> hold(g_stopLock);
    g_stopSignal.wait_for(hold, std::chrono::milliseconds(ms), [] { return g_stopping; });
}

// Closes the client's connection without an answer: finds the accepted
// socket by the client's port and resets it.
void DropConnection(int remotePort)
{
    DIR* fds = opendir("/proc/self/fd");
    if (!fds) return;
    while (dirent* entry = readdir(fds)) {
        int fd = std::atoi(entry->d_name);
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (fd <= 2 || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) continue;
        if (peer.sin_family != AF_INET || ntohs(peer.sin_port) != remotePort) continue;
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        shutdown(fd, SHUT_RDWR);
    }
    closedir(fds);
}

struct CommandLine {
    ServiceOptions service;
    int port = 0;
    std::string portFile;
    int timeLimit = 0;
    std::string updateDir;
    std::string tlsCertificate, tlsKey;
};

// The build's test certificate lies beside the executable.
std::string BesideExecutable(const char* name)
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    std::string folder(path, static_cast<size_t>(length));
    std::string file = folder.substr(0, folder.rfind('/') + 1) + name;
    return std::ifstream(file).good() ? file : "";
}

CommandLine Parse(int argc, char** argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) Usage();
            return argv[++i];
        };
        if (arg == "--account") {
            std::string pair = next();
            size_t colon = pair.find(':');
            if (colon == std::string::npos) Usage();
            line.service.accounts.emplace_back(pair.substr(0, colon), pair.substr(colon + 1));
        } else if (arg == "--packs") line.service.packsFile = next();
        else if (arg == "--record-dir") line.service.recordDir = next();
        else if (arg == "--recommission-days") line.service.recommissionDays = std::atoi(next().c_str());
        else if (arg == "--delay-ms") line.service.delayMs = std::atoi(next().c_str());
        else if (arg == "--mode") line.service.misbehaviour = MisbehaviourNamed(next());
        else if (arg == "--port") line.port = std::atoi(next().c_str());
        else if (arg == "--port-file") line.portFile = next();
        else if (arg == "--time-limit") line.timeLimit = std::atoi(next().c_str());
        else if (arg == "--update-dir") line.updateDir = next();
        else if (arg == "--tls-cert") line.tlsCertificate = next();
        else if (arg == "--tls-key") line.tlsKey = next();
        else Usage();
    }
    if (line.tlsCertificate.empty() && line.tlsKey.empty()) {
        line.tlsCertificate = BesideExecutable("standin-cert.pem");
        line.tlsKey = BesideExecutable("standin-key.pem");
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    // End with the parent, so that no test leaves a service behind.
    // A parent that ended before the signal was armed left us with init.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() == 1) return 0;

    CommandLine line = Parse(argc, argv);
    std::unique_ptr<StandinService> service;
    try {
        service = std::make_unique<StandinService>(line.service);
    } catch (const std::exception& e) {
        std::cerr << "fmd_standin: cannot load the pack list: " << e.what() << "\n";
        return 2;
    }

    httplib::Server server;
    TlsFront* front = nullptr;  // the public port, made once the server is bound
    UpdateServer updates(line.updateDir);
    if (!line.updateDir.empty()) updates.Register(server);
    server.Post("/v001.aspx", [&](const httplib::Request& request, httplib::Response& response) {
        ServiceReply reply = service->Handle(request.body);
        if (reply.delayMs > 0) InterruptibleWait(reply.delayMs);
        if (reply.drop) {
            DropConnection(request.remote_port);
            return;
        }
        if (reply.partial) {
            // Announce twice the body, send half of it, then give up.
            std::string half = reply.body;
            response.set_content_provider(half.size() * 2, "application/json",
                                          [half](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset == 0) sink.write(half.data(), half.size());
                                              return offset == 0;
                                          });
            return;
        }
        response.status = reply.httpStatus;
        response.set_content(reply.body, reply.contentType.c_str());
    });
    server.Get("/requests", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(service->RecordedRequests().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                             "application/json");
    });
    server.Post("/control", [&](const httplib::Request& request, httplib::Response& response) {
        nlohmann::json command = nlohmann::json::parse(request.body, nullptr, false);
        if (command.is_discarded()) {
            response.status = 400;
            return;
        }
        nlohmann::json settings = service->Control(command);
        settings.update(updates.Control(command));
        if (command.contains("reachable")) front->SetReachable(command.at("reachable").get<bool>());
        if (command.contains("cut_tls")) front->SetCutHandshakes(command.at("cut_tls").get<bool>());
        if (command.contains("tls")) front->SetAnswerTls(command.at("tls").get<bool>());
        if (command.contains("outage") &&
            !front->SetOutage(command.at("outage").get<std::string>(), command.value("outage_ms", 0))) {
            response.status = 400;
            return;
        }
        settings["outage"] = front->Outage();
        settings["cut_tls"] = front->CutsHandshakes();
        settings["tls"] = front->AnswersTls();
        settings["tls_sessions"] = front->TlsSessions();
        settings["plain_requests"] = front->PlainRequests();
        settings["reachable"] = front->Reachable();
        settings["held"] = front->HeldRequests();
        response.set_content(settings.dump(), "application/json");
    });
    server.Get("/packs", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(service->PackCounts().dump(), "application/json");
    });
    server.Post("/shutdown", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content("bye", "text/plain");
        std::thread([&] { server.stop(); }).detach();
    });

    // The HTTP server listens on a private port behind the public front.
    int backendPort = server.bind_to_any_port("127.0.0.1");
    TlsServerContext tls(line.tlsCertificate, line.tlsKey);
    if (!line.tlsCertificate.empty() && !tls.Ready()) {
        std::cerr << "fmd_standin: cannot load the TLS certificate " << line.tlsCertificate << "\n";
        return 2;
    }
    TlsFront publicFront(line.port, backendPort);
    publicFront.SetTlsContext(tls.Get());
    front = &publicFront;
    int port = front->Port();
    if (backendPort <= 0 || port <= 0) {
        std::cerr << "fmd_standin: cannot listen on 127.0.0.1\n";
        return 1;
    }
    if (!line.portFile.empty()) {
        std::string temp = line.portFile + ".tmp";
        std::ofstream(temp) << port << "\n";
        std::rename(temp.c_str(), line.portFile.c_str());
    }
    std::cout << "fmd_standin listening on 127.0.0.1:" << port << (tls.Ready() ? " (TLS)" : " (plain HTTP only)")
              << std::endl;

    std::thread limiter;
    if (line.timeLimit > 0) {
        limiter = std::thread([&] {
            InterruptibleWait(line.timeLimit * 1000);
            server.stop();
        });
    }
    server.listen_after_bind();
    {
        std::lock_guard<std::mutex> hold(g_stopLock);
        g_stopping = true;
    }
    g_stopSignal.notify_all();
    if (limiter.joinable()) limiter.join();
    return 0;
}
