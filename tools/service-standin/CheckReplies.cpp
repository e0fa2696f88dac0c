#include "CheckReplies.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

std::string jsonText(const QJsonObject& options, const char* key, const QJsonValue& fallback)
{
    QJsonValue value = options.value(QLatin1String(key));
    if (value.isUndefined()) {
        value = fallback;
    }
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2).toStdString();
}

} // namespace

std::string CheckReplies::agent(const QJsonObject& options)
{
    return R"({"representation":{"AGENT":{"update_needed":)" + jsonText(options, "update_needed", false) +
           R"(,"download_url":)" + jsonText(options, "download_url", QString()) + R"(,"fallback_url":)" +
           jsonText(options, "fallback_url", QString()) + "}}}";
}

std::string CheckReplies::plugin(const QJsonObject& options)
{
    return R"({"representation":{"update":)" + jsonText(options, "update", false) + R"(,"download_url":)" +
           jsonText(options, "download_url", QString()) + "}}";
}
