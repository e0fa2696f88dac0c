#include "StandinConfig.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

StandinConfig StandinConfig::load(const std::string& path)
{
    StandinConfig config;
    if (path.empty()) {
        return config;
    }
    QFile file(QString::fromStdString(path));
    if (!file.exists()) {
        return config;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        config.error_ = "stand-in config is not readable";
        return config;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        config.error_ = "stand-in config is not valid JSON";
        return config;
    }
    config.root_ = document.object();

    for (const char* name : {"agent", "plugin", "agentImage", "pluginImage", "files"}) {
        const QJsonValue value = config.root_.value(QLatin1String(name));
        if (!value.isUndefined() && !value.isObject()) {
            config.error_ = std::string("stand-in config: \"") + name + "\" must be an object";
            return config;
        }
    }
    const QJsonObject files = config.root_.value(QLatin1String("files")).toObject();
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (!it.value().isString()) {
            config.error_ = "stand-in config: \"files\" values must be file paths";
            return config;
        }
    }
    return config;
}

QJsonObject StandinConfig::section(const char* name) const
{
    return root_.value(QLatin1String(name)).toObject();
}

std::optional<std::string> StandinConfig::mappedFile(const std::string& urlPath) const
{
    const QJsonValue value = root_.value(QLatin1String("files")).toObject().value(QString::fromStdString(urlPath));
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}
