#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <utility>
#include <vector>

// A parsed JSON value on nlohmann::ordered_json that keeps number, boolean and text apart and object keys in
// document order. Copies share the immutable document, so passing values around is cheap.
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
    JsonValue();

    // Parses a whole document whose top level is an object or array; fails on any malformed or too deeply nested
    // input.
    static Result<JsonValue> parse(const QByteArray& data);

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
    std::vector<Member> members() const;
    // The value stored under key; nothing when missing or when this is not an object.
    std::optional<JsonValue> member(const QString& key) const;
    // An array's elements; empty for anything else.
    std::vector<JsonValue> elements() const;

    // The string's value; throws PlatformException when this is not a string.
    QString toText() const;
    // The number's value; throws PlatformException when this is not a number.
    double toNumber() const;
    // The platform's truth value of a boolean, number or string; throws PlatformException for other kinds.
    bool truthValue() const;

    // A readable multi-line rendering in the platform's object description style, for log lines: texts and keys
    // with their controls and format characters escaped and cut as Log::outsideText does.
    QString description() const;

private:
    using Json = nlohmann::ordered_json;

    JsonValue(std::shared_ptr<const Json> document, const Json* node);

    void describe(int level, QString& out) const;

    std::shared_ptr<const Json> m_document;
    const Json* m_node;
};
