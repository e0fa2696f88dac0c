#include "Platform/JsonValue.h"

#include "Platform/JsonParser.h"
#include "Platform/PlatformException.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

QString kindPhrase(JsonValue::Kind kind)
{
    switch (kind) {
    case JsonValue::Kind::Null:
        return QStringLiteral("null");
    case JsonValue::Kind::Bool:
        return QStringLiteral("a boolean");
    case JsonValue::Kind::Number:
        return QStringLiteral("a number");
    case JsonValue::Kind::String:
        return QStringLiteral("text");
    case JsonValue::Kind::Array:
        return QStringLiteral("an array");
    case JsonValue::Kind::Object:
        return QStringLiteral("an object");
    }
    return QString();
}

[[noreturn]] void raiseInvalidArgument(const QString& reason)
{
    throw PlatformException(QStringLiteral("NSInvalidArgumentException"), reason);
}

// Underscores force quotes too, matching how the platform prints keys such as "download_url".
bool isBareWord(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (!plain) {
            return false;
        }
    }
    return true;
}

QString quotedIfNeeded(const QString& text)
{
    if (isBareWord(text)) {
        return text;
    }
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString indent(int level)
{
    return QString(qsizetype{level} * 4, QLatin1Char(' '));
}

} // namespace

JsonValue::JsonValue(Storage storage) : m_storage(std::move(storage)) {}

std::optional<JsonValue> JsonValue::parse(const QByteArray& data)
{
    return JsonParser::parse(data);
}

JsonValue::Kind JsonValue::kind() const
{
    return static_cast<Kind>(m_storage.index());
}

bool JsonValue::isNull() const
{
    return kind() == Kind::Null;
}

bool JsonValue::isBool() const
{
    return kind() == Kind::Bool;
}

bool JsonValue::isNumber() const
{
    return kind() == Kind::Number;
}

bool JsonValue::isString() const
{
    return kind() == Kind::String;
}

bool JsonValue::isArray() const
{
    return kind() == Kind::Array;
}

bool JsonValue::isObject() const
{
    return kind() == Kind::Object;
}

const std::vector<JsonValue::Member>& JsonValue::members() const
{
    static const Members empty;
    if (const auto* members = std::get_if<std::shared_ptr<const Members>>(&m_storage)) {
        return **members;
    }
    return empty;
}

const JsonValue* JsonValue::member(const QString& key) const
{
    for (const Member& member : members()) {
        if (member.first == key) {
            return &member.second;
        }
    }
    return nullptr;
}

const std::vector<JsonValue>& JsonValue::elements() const
{
    static const Elements empty;
    if (const auto* elements = std::get_if<std::shared_ptr<const Elements>>(&m_storage)) {
        return **elements;
    }
    return empty;
}

QString JsonValue::toText() const
{
    if (const auto* text = std::get_if<QString>(&m_storage)) {
        return *text;
    }
    raiseInvalidArgument(QStringLiteral("value is %1, not text").arg(kindPhrase(kind())));
}

double JsonValue::toNumber() const
{
    if (const auto* number = std::get_if<double>(&m_storage)) {
        return *number;
    }
    raiseInvalidArgument(QStringLiteral("value is %1, not a number").arg(kindPhrase(kind())));
}

bool JsonValue::truthValue() const
{
    switch (kind()) {
    case Kind::Bool:
        return std::get<bool>(m_storage);
    case Kind::Number:
        return std::get<double>(m_storage) != 0.0;
    case Kind::String: {
        const auto& text = std::get<QString>(m_storage);
        qsizetype i = 0;
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r')) {
            ++i;
        }
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        while (i < text.size() && text[i] == u'0') {
            ++i;
        }
        if (i == text.size()) {
            return false;
        }
        const char16_t c = text[i].unicode();
        return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
    }
    case Kind::Null:
    case Kind::Array:
    case Kind::Object:
        break;
    }
    raiseInvalidArgument(QStringLiteral("value is %1, which has no truth value").arg(kindPhrase(kind())));
}

QString JsonValue::description() const
{
    QString out;
    describe(0, out);
    return out;
}

void JsonValue::describe(int level, QString& out) const
{
    switch (kind()) {
    case Kind::Null:
        out += QStringLiteral("<null>");
        return;
    case Kind::Bool:
        out += std::get<bool>(m_storage) ? QLatin1Char('1') : QLatin1Char('0');
        return;
    case Kind::Number: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(m_storage));
        out += QLatin1String(buffer, result.ptr - buffer);
        return;
    }
    case Kind::String:
        out += quotedIfNeeded(std::get<QString>(m_storage));
        return;
    case Kind::Array: {
        const Elements& items = elements();
        out += QStringLiteral("(\n");
        for (size_t i = 0; i < items.size(); ++i) {
            out += indent(level + 1);
            items[i].describe(level + 1, out);
            out += i + 1 < items.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
        }
        out += indent(level) + QLatin1Char(')');
        return;
    }
    case Kind::Object:
        out += QStringLiteral("{\n");
        for (const Member& member : members()) {
            out += indent(level + 1) + quotedIfNeeded(member.first) + QStringLiteral(" = ");
            member.second.describe(level + 1, out);
            out += QStringLiteral(";\n");
        }
        out += indent(level) + QLatin1Char('}');
        return;
    }
}
