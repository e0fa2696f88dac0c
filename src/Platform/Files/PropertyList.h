#pragma once

#include "Platform/Log/Result.h"

#include <QString>
#include <QVariantMap>

// Property-list files, XML or binary.
class PropertyList
{
public:
    // The file's top-level dictionary; fails when the file cannot be read or parsed or is not a dictionary.
    // Strings come back as QString, integers as qint64, reals as double, data as QByteArray.
    static Result<QVariantMap> dictionaryWithContentsOfFile(const QString& path);
    // The same for a property list held in memory.
    static Result<QVariantMap> dictionaryWithData(const QByteArray& data);
    // The dictionary as an XML property list; fails when a value is of a kind a property list cannot hold.
    // Takes strings, booleans, integers, data, lists and dictionaries.
    static Result<QByteArray> xmlDataWithDictionary(const QVariantMap& dictionary);
};
