#pragma once

#include "BodySource.h"
#include "ReplyOptions.h"
#include "RequestRecorder.h"
#include "ShutdownLatch.h"
#include "StandinOptions.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace httplib {
class SSLServer;
struct Request;
struct Response;
} // namespace httplib

// The HTTPS stand-in for the remote service: update checks, image downloads and configurable faults.
class StandinServer
{
public:
    explicit StandinServer(StandinOptions options);
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    // False when the certificate or key could not be loaded.
    bool isValid() const;
    // Returns the bound port, or -1.
    int bind();
    // Serves until stop(); false if serving could not start.
    bool run();
    // Safe from any thread, also before run() has started.
    void stop();

private:
    void handleGet(const httplib::Request& request, httplib::Response& response);
    void answer(const httplib::Request& request, httplib::Response& response, const ReplyOptions& reply,
                const std::shared_ptr<BodySource>& body, std::string contentType);
    // Keeps the connection open without a byte until the client leaves, a stop, or a long bound.
    void holdSilently(int fd);
    // How many answers route has given with section as its configuration, this one included; a new section starts
    // the count again.
    int countAnswer(const std::string& route, const std::string& section);

    StandinOptions options_;
    std::unique_ptr<httplib::SSLServer> server_;
    RequestRecorder recorder_;
    RequestRecorder times_;
    ShutdownLatch latch_;
    int listenSocket_ = -1;
    std::mutex countsLock_;
    std::map<std::string, std::pair<std::string, int>> answerCounts_;
};
