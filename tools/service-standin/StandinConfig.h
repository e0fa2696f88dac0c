#pragma once

#include <QJsonObject>

#include <optional>
#include <string>

// The answers file; read again for every request so tests can change answers on the fly.
class StandinConfig
{
public:
    // An empty path or a missing file gives all defaults.
    static StandinConfig load(const std::string& path);

    bool isValid() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Options of one route ("agent", "plugin", "agentImage", "pluginImage"); empty when absent.
    QJsonObject section(const char* name) const;
    // File mapped to a URL path through "files".
    std::optional<std::string> mappedFile(const std::string& urlPath) const;

private:
    QJsonObject root_;
    std::string error_;
};
