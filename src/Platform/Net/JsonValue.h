#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

// A parsed JSON value that keeps number, boolean and text apart and object keys in document order.
// Copies share the immutable tree, so passing values around is cheap.
class JsonValue
{
public:
    enum class Kind
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    using Member = std::pair<QString, JsonValue>;

    // A null value.
    JsonValue() = default;

    // Parses a whole document whose top level is an object or array; nullopt on any malformed or too deeply nested
    // input.
    static std::optional<JsonValue> parse(const QByteArray& data);

    // Which of the JSON kinds this value is.
    Kind kind() const;
    // True when the value is null.
    bool isNull() const;
    // True when the value is true or false.
    bool isBool() const;
    // True when the value is a number.
    bool isNumber() const;
    // True when the value is a string.
    bool isString() const;
    // True when the value is an array.
    bool isArray() const;
    // True when the value is an object.
    bool isObject() const;

    // An object's members in document order; empty for anything else.
    const std::vector<Member>& members() const;
    // The value stored under key, or nullptr when missing or when this is not an object.
    const JsonValue* member(const QString& key) const;
    // An array's elements; empty for anything else.
    const std::vector<JsonValue>& elements() const;

    // The string's value; throws PlatformException when this is not a string.
    QString toText() const;
    // The number's value; throws PlatformException when this is not a number.
    double toNumber() const;
    // The platform's truth value of a boolean, number or string; throws PlatformException for other kinds.
    bool truthValue() const;

    // A readable multi-line rendering in the platform's object description style, for log lines.
    QString description() const;

private:
    class Builder;
    using Elements = std::vector<JsonValue>;
    using Members = std::vector<Member>;
    // Alternative order matches Kind.
    using Storage = std::variant<std::monostate, bool, double, QString, std::shared_ptr<const Elements>,
                                 std::shared_ptr<const Members>>;

    explicit JsonValue(Storage storage);

    void describe(int level, QString& out) const;

    Storage m_storage;
};
