#pragma once

#include <optional>
#include <string>

// Command line of the stand-in.
class StandinOptions
{
public:
    std::string certFile;
    std::string keyFile;
    std::string address = "127.0.0.1";
    int port = 0;
    std::string configFile;
    std::string recordFile;
    // Where each body sent whole is noted with its length and the time it took to send.
    std::string timesFile;
    std::string agentImage;
    std::string pluginImage;
    bool helpRequested = false;

    static std::optional<StandinOptions> parse(int argc, char** argv, std::string& error);
    static std::string usage();
};
