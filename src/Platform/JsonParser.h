#pragma once

#include "Platform/JsonValue.h"

#include <QByteArray>

#include <optional>

// Reads JSON documents into JsonValue trees, strictly: any malformed input gives nothing.
class JsonParser
{
public:
    // The document's value when its top level is an object or array and the whole input is valid JSON.
    static std::optional<JsonValue> parse(const QByteArray& data);

private:
    struct Reader;
};
