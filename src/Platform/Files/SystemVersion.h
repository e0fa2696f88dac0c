#pragma once

#include "Platform/Log/OptionalString.h"

// The operating system's name and version: "ProductName" and "ProductVersion" of
// /System/Library/CoreServices/SystemVersion.plist under the system root. When that file is missing, NAME and
// VERSION_ID of /etc/os-release (also under the system root) stand in for them.
class SystemVersion
{
public:
    // Absent when it cannot be read: an unknown value, which the log shows as such, not a failure.
    static OptionalString productName();
    // Absent when it cannot be read, as productName.
    static OptionalString productVersion();

private:
    static OptionalString value(const char* plistKey, const char* osReleaseKey);
};
