#include "StandinOptions.h"

#include <arpa/inet.h>
#include <charconv>

namespace {

// The stand-in is for tests on this machine only, so it never listens on a reachable address.
bool isLoopback(const std::string& address)
{
    if (address == "localhost") {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
        return IN6_IS_ADDR_LOOPBACK(&v6);
    }
    return false;
}

} // namespace

std::string StandinOptions::usage()
{
    return "usage: orvo-service-standin --cert FILE --key FILE [--address 127.0.0.1] [--port 0]\n"
           "                            [--config FILE] [--record FILE] [--times FILE]\n"
           "                            [--agent-image FILE] [--plugin-image FILE]\n";
}

std::optional<StandinOptions> StandinOptions::parse(int argc, char** argv, std::string& error)
{
    StandinOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.helpRequested = true;
            return options;
        }
        if (!arg.starts_with("--")) {
            error = "unknown argument: " + arg;
            return std::nullopt;
        }
        std::string value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "missing value for " + arg;
            return std::nullopt;
        }

        if (arg == "--cert") {
            options.certFile = value;
        } else if (arg == "--key") {
            options.keyFile = value;
        } else if (arg == "--address") {
            options.address = value;
        } else if (arg == "--port") {
            int port = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (ec != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535) {
                error = "bad --port value: " + value;
                return std::nullopt;
            }
            options.port = port;
        } else if (arg == "--config") {
            options.configFile = value;
        } else if (arg == "--record") {
            options.recordFile = value;
        } else if (arg == "--times") {
            options.timesFile = value;
        } else if (arg == "--agent-image") {
            options.agentImage = value;
        } else if (arg == "--plugin-image") {
            options.pluginImage = value;
        } else {
            error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }

    if (options.certFile.empty() || options.keyFile.empty()) {
        error = "--cert and --key are required";
        return std::nullopt;
    }
    if (!isLoopback(options.address)) {
        error = "refusing to listen on non-loopback address " + options.address;
        return std::nullopt;
    }
    return options;
}
