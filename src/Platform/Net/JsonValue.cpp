#include "Platform/Net/JsonValue.h"

#include "Platform/Log/Log.h"
#include "Platform/Log/PlatformException.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

namespace {

// Deeper documents are refused so hostile input cannot exhaust the stack when the tree is walked or freed.
constexpr int MaxDepth = 512;

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

// Log lines show these: controls and format characters escaped, a huge value cut.
QString quotedIfNeeded(const QString& text)
{
    if (isBareWord(text)) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + Log::outsideText(quoted) + QLatin1Char('"');
}

QString indent(int level)
{
    return QString(qsizetype{level} * 4, QLatin1Char(' '));
}

const nlohmann::ordered_json nullJson;

} // namespace

JsonValue::JsonValue() : m_node(&nullJson) {}

JsonValue::JsonValue(std::shared_ptr<const Json> document, const Json* node)
    : m_document(std::move(document)), m_node(node)
{
}

Result<JsonValue> JsonValue::parse(const QByteArray& data)
{
    bool refused = false;
    const Json::parser_callback_t judge = [&refused](int depth, Json::parse_event_t event, Json& parsed) {
        const bool opens = event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
        // The library lets 1e400 through as infinity; JSON has no such number.
        const bool infinite =
            event == Json::parse_event_t::value && parsed.is_number_float() && !std::isfinite(parsed.get<double>());
        if ((opens && depth >= MaxDepth) || infinite) {
            refused = true;
        }
        return !refused;
    };
    auto document = std::make_shared<Json>(Json::parse(data.begin(), data.end(), judge, false));
    // Only an object or array is a document.
    if (refused || !(document->is_object() || document->is_array())) {
        return Failure{QStringLiteral("not a JSON document")};
    }
    const Json* root = document.get();
    return JsonValue(std::move(document), root);
}

JsonValue::Kind JsonValue::kind() const
{
    switch (m_node->type()) {
    case Json::value_t::boolean:
        return Kind::Bool;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return Kind::Number;
    case Json::value_t::string:
        return Kind::String;
    case Json::value_t::array:
        return Kind::Array;
    case Json::value_t::object:
        return Kind::Object;
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded:
        break;
    }
    return Kind::Null;
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

std::vector<JsonValue::Member> JsonValue::members() const
{
    std::vector<Member> members;
    if (m_node->is_object()) {
        for (const auto& [key, value] : m_node->items()) {
            members.emplace_back(QString::fromStdString(key), JsonValue(m_document, &value));
        }
    }
    return members;
}

std::optional<JsonValue> JsonValue::member(const QString& key) const
{
    if (!m_node->is_object()) {
        return std::nullopt;
    }
    const auto found = m_node->find(key.toStdString());
    if (found == m_node->end()) {
        return std::nullopt;
    }
    return JsonValue(m_document, &*found);
}

std::vector<JsonValue> JsonValue::elements() const
{
    std::vector<JsonValue> elements;
    if (m_node->is_array()) {
        for (const Json& element : *m_node) {
            elements.push_back(JsonValue(m_document, &element));
        }
    }
    return elements;
}

QString JsonValue::toText() const
{
    if (m_node->is_string()) {
        return QString::fromStdString(m_node->get_ref<const std::string&>());
    }
    raiseInvalidArgument(QStringLiteral("value is %1, not text").arg(kindPhrase(kind())));
}

double JsonValue::toNumber() const
{
    if (m_node->is_number()) {
        return m_node->get<double>();
    }
    raiseInvalidArgument(QStringLiteral("value is %1, not a number").arg(kindPhrase(kind())));
}

bool JsonValue::truthValue() const
{
    switch (kind()) {
    case Kind::Bool:
        return m_node->get<bool>();
    case Kind::Number:
        return m_node->get<double>() != 0.0;
    case Kind::String: {
        const QString text = QString::fromStdString(m_node->get_ref<const std::string&>());
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
        out += m_node->get<bool>() ? QLatin1Char('1') : QLatin1Char('0');
        return;
    case Kind::Number: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, m_node->get<double>());
        out += QLatin1String(buffer, result.ptr - buffer);
        return;
    }
    case Kind::String:
        out += quotedIfNeeded(toText());
        return;
    case Kind::Array: {
        const std::vector<JsonValue> items = elements();
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
        for (const auto& [key, value] : members()) {
            out += indent(level + 1) + quotedIfNeeded(key) + QStringLiteral(" = ");
            value.describe(level + 1, out);
            out += QStringLiteral(";\n");
        }
        out += indent(level) + QLatin1Char('}');
        return;
    }
}
