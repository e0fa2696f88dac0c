#include "Platform/Net/JsonValue.h"

#include "Platform/Log/PlatformException.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

namespace {

// Deeper documents are refused so hostile input cannot exhaust the stack when the tree is walked or freed.
constexpr size_t MaxDepth = 512;

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

// Builds the tree from the library's parse events; refusing an event stops the parse at once.
class JsonValue::Builder : public nlohmann::json_sax<nlohmann::json>
{
public:
    std::optional<JsonValue> result;

    bool null() override { return add(JsonValue()); }
    bool boolean(bool value) override { return add(JsonValue(Storage(value))); }
    bool number_integer(number_integer_t value) override { return add(JsonValue(Storage(double(value)))); }
    bool number_unsigned(number_unsigned_t value) override { return add(JsonValue(Storage(double(value)))); }
    bool number_float(number_float_t value, const string_t&) override
    {
        // The library lets 1e400 through as infinity; JSON has no such number.
        return std::isfinite(value) && add(JsonValue(Storage(value)));
    }
    bool string(string_t& value) override { return add(JsonValue(Storage(QString::fromStdString(value)))); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return open(true); }
    bool key(string_t& value) override
    {
        m_frames.back().key = QString::fromStdString(value);
        return true;
    }
    bool end_object() override
    {
        Frame frame = std::move(m_frames.back());
        m_frames.pop_back();
        return add(JsonValue(Storage(std::make_shared<const Members>(withoutDuplicates(std::move(frame.members))))));
    }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override
    {
        Frame frame = std::move(m_frames.back());
        m_frames.pop_back();
        return add(JsonValue(Storage(std::make_shared<const Elements>(std::move(frame.elements)))));
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    struct Frame
    {
        bool isObject = false;
        QString key;
        Members members;
        Elements elements;
    };

    bool open(bool isObject)
    {
        if (m_frames.size() >= MaxDepth) {
            return false;
        }
        m_frames.push_back(Frame{isObject, {}, {}, {}});
        return true;
    }

    bool add(JsonValue value)
    {
        if (m_frames.empty()) {
            // Only an object or array is a document.
            if (value.kind() != Kind::Array && value.kind() != Kind::Object) {
                return false;
            }
            result = std::move(value);
            return true;
        }
        Frame& frame = m_frames.back();
        if (frame.isObject) {
            frame.members.emplace_back(std::move(frame.key), std::move(value));
        } else {
            frame.elements.push_back(std::move(value));
        }
        return true;
    }

    // A repeated key keeps its first place and takes its last value.
    static Members withoutDuplicates(Members members)
    {
        Members out;
        out.reserve(members.size());
        QHash<QString, size_t> index;
        for (Member& member : members) {
            const auto found = index.constFind(member.first);
            if (found != index.constEnd()) {
                out[*found].second = std::move(member.second);
            } else {
                index.insert(member.first, out.size());
                out.push_back(std::move(member));
            }
        }
        return out;
    }

    std::vector<Frame> m_frames;
};

JsonValue::JsonValue(Storage storage) : m_storage(std::move(storage)) {}

std::optional<JsonValue> JsonValue::parse(const QByteArray& data)
{
    Builder builder;
    const bool parsed = nlohmann::json::sax_parse(data.begin(), data.end(), &builder,
                                                  nlohmann::json::input_format_t::json, true, false);
    return parsed ? builder.result : std::nullopt;
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
