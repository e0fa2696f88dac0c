#pragma once

#include <QString>

// Where the platform's fixed system locations really are: ORVO_SYSTEM_ROOT, when set, is put in front of them.
class SystemRoot
{
public:
    // The real path of a fixed system location such as "/etc/os-release"; unchanged when no root is set.
    static QString path(const QString& fixedLocation);
};
