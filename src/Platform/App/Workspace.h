#pragma once

#include "Platform/Log/Result.h"

#include <QString>
#include <QStringList>

// Launching applications the way the platform's workspace does on this build: the bundle's
// Contents/Info.plist "CFBundleExecutable" names Contents/MacOS/<name>, which is started detached in a session
// of its own, with standard input from /dev/null, "/" as its working folder and exactly the given arguments.
class Workspace
{
public:
    // Succeeds when the process has started; fails with why when the bundle, its executable's name or the executable
    // is missing or not executable, or the start failed.
    static Result<> launchApplication(const QString& bundlePath, const QStringList& arguments);
};
