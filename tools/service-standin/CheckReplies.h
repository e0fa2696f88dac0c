#pragma once

#include <QJsonObject>

#include <string>

// Bodies of the two update checks. Built by hand because QJsonObject would sort the keys,
// and values are copied as whatever JSON the config holds so tests can send wrong kinds.
class CheckReplies
{
public:
    static std::string agent(const QJsonObject& options);
    static std::string plugin(const QJsonObject& options);
};
