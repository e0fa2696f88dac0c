#pragma once

#include <QString>

// Application versions as dotted numbers ("1.0.10"), compared number by number.
class VersionNumber
{
public:
    // True when both are dotted numbers and offered is the higher one; missing places count as 0, so "1.0" and
    // "1.0.0" are equal. Anything else ("1.0b", "", "(null)") is never newer, nor is anything newer than it.
    static bool isNewer(const QString& offered, const QString& running);
    // True when candidate is a dotted number and installed is not newer than it: the same again, or higher.
    static bool isNotOlder(const QString& candidate, const QString& installed);
};
