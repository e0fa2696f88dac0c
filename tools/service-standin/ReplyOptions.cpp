#include "ReplyOptions.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

bool readInteger(const QJsonObject& object, const char* key, long long min, long long max,
                 std::optional<long long>& out, std::string& error)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        return true;
    }
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(number) != number || number < static_cast<double>(min) ||
        number > static_cast<double>(max)) {
        error = std::string("stand-in config: \"") + key + "\" must be an integer from " + std::to_string(min) +
                " to " + std::to_string(max);
        return false;
    }
    out = static_cast<long long>(number);
    return true;
}

bool readFlag(const QJsonObject& object, const char* key, bool& out, std::string& error)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isUndefined() && !value.isNull() && !value.isBool()) {
        error = std::string("stand-in config: \"") + key + "\" must be true or false";
        return false;
    }
    out = value.toBool(out);
    return true;
}

// Header values may be written as numbers for convenience.
std::optional<std::string> headerValue(const QJsonValue& value)
{
    if (value.isString()) {
        return value.toString().toStdString();
    }
    if (value.isDouble() || value.isBool()) {
        const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return text.mid(1, text.size() - 2).toStdString();
    }
    return std::nullopt;
}

} // namespace

std::optional<ReplyOptions> ReplyOptions::fromJson(const QJsonObject& object, std::string& error)
{
    ReplyOptions options;
    constexpr long long maxMs = 3600LL * 1000;
    std::optional<long long> number;

    if (!readInteger(object, "status", 100, 599, number, error)) {
        return std::nullopt;
    }
    options.status = static_cast<int>(number.value_or(200));

    number.reset();
    if (!readInteger(object, "delay_ms", 0, maxMs, number, error)) {
        return std::nullopt;
    }
    options.delay = std::chrono::milliseconds(number.value_or(0));

    number.reset();
    if (!readInteger(object, "slow_ms", 0, maxMs, number, error)) {
        return std::nullopt;
    }
    options.slow = std::chrono::milliseconds(number.value_or(0));

    number.reset();
    // Bounded so one chunk buffer stays small however the test configures it.
    if (!readInteger(object, "chunk_bytes", 1, 16LL * 1024 * 1024, number, error)) {
        return std::nullopt;
    }
    options.chunkBytes = static_cast<std::size_t>(number.value_or(16384));

    number.reset();
    if (!readInteger(object, "drop_after", 0, 1LL << 52, number, error)) {
        return std::nullopt;
    }
    if (number) {
        options.dropAfter = static_cast<std::size_t>(*number);
    }

    number.reset();
    if (!readInteger(object, "stall_after", 0, 1LL << 52, number, error)) {
        return std::nullopt;
    }
    if (number) {
        options.stallAfter = static_cast<std::size_t>(*number);
    }

    number.reset();
    if (!readInteger(object, "times", 0, 1000000, number, error)) {
        return std::nullopt;
    }
    if (number) {
        options.times = static_cast<int>(*number);
    }

    if (!readFlag(object, "never_answer", options.neverAnswer, error) ||
        !readFlag(object, "validators", options.validators, error) ||
        !readFlag(object, "ignore_range", options.ignoreRange, error) ||
        !readFlag(object, "chunked", options.chunked, error)) {
        return std::nullopt;
    }

    const QJsonValue body = object.value(QLatin1String("body"));
    if (!body.isUndefined() && !body.isNull()) {
        if (!body.isString()) {
            error = "stand-in config: \"body\" must be a string";
            return std::nullopt;
        }
        options.body = body.toString().toStdString();
    }

    const QJsonValue headers = object.value(QLatin1String("headers"));
    if (!headers.isUndefined() && !headers.isNull()) {
        if (!headers.isObject()) {
            error = "stand-in config: \"headers\" must be an object";
            return std::nullopt;
        }
        const QJsonObject headerObject = headers.toObject();
        for (auto it = headerObject.begin(); it != headerObject.end(); ++it) {
            const auto value = headerValue(it.value());
            if (!value) {
                error = "stand-in config: header \"" + it.key().toStdString() + "\" must be a string or number";
                return std::nullopt;
            }
            // httplib always sends the real length, so a second one would only confuse clients.
            if (it.key().compare(QLatin1String("Content-Length"), Qt::CaseInsensitive) == 0) {
                error = "stand-in config: Content-Length is always the real length; use drop_after to cut a body";
                return std::nullopt;
            }
            options.headers.emplace_back(it.key().toStdString(), *value);
        }
    }
    return options;
}

ReplyOptions ReplyOptions::plain() const
{
    ReplyOptions options;
    options.headers = headers;
    options.validators = validators;
    options.chunkBytes = chunkBytes;
    return options;
}
