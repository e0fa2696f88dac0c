#include "SignalWaiter.h"
#include "StandinOptions.h"
#include "StandinServer.h"

#include <signal.h>
#include <unistd.h>

#include <iostream>

namespace {

constexpr int usageError = 2;

bool readable(const std::string& path, const char* what)
{
    if (::access(path.c_str(), R_OK) == 0) {
        return true;
    }
    std::cerr << "orvo-service-standin: cannot read " << what << " file " << path << std::endl;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread exists, so every thread inherits the mask and only the waiter sees them.
    SignalWaiter::blockSignals();
    // Clients that hang up mid-body must not kill the stand-in.
    ::signal(SIGPIPE, SIG_IGN);

    std::string error;
    const auto options = StandinOptions::parse(argc, argv, error);
    if (!options) {
        std::cerr << "orvo-service-standin: " << error << '\n' << StandinOptions::usage();
        return usageError;
    }
    if (options->helpRequested) {
        std::cout << StandinOptions::usage();
        return 0;
    }
    if (!readable(options->certFile, "certificate") || !readable(options->keyFile, "key")) {
        return usageError;
    }

    StandinServer server(*options);
    if (!server.isValid()) {
        std::cerr << "orvo-service-standin: cannot load certificate " << options->certFile << " with key "
                  << options->keyFile << std::endl;
        return usageError;
    }
    const int port = server.bind();
    if (port < 0) {
        std::cerr << "orvo-service-standin: cannot listen on " << options->address << ':' << options->port << std::endl;
        return 1;
    }

    SignalWaiter waiter([&server] { server.stop(); });
    std::cout << "listening on " << options->address << ':' << port << std::endl;
    const bool served = server.run();
    waiter.finish();
    if (waiter.signalled()) {
        return 0;
    }
    std::cerr << "orvo-service-standin: stopped unexpectedly" << std::endl;
    return served ? 0 : 1;
}
