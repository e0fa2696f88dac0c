#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// Property-list files, XML or binary.
class PropertyList
{
public:
    // The file's top-level dictionary; nothing when the file cannot be read or parsed or is not a dictionary.
    // Strings come back as QString, integers as qint64, reals as double, data as QByteArray.
    static std::optional<QVariantMap> dictionaryWithContentsOfFile(const QString& path);
};
