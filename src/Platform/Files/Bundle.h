#pragma once

#include "Platform/Log/OptionalString.h"
#include "Platform/Log/Result.h"

#include <QString>
#include <QVariant>

// Application bundles: "<Name>.app/Contents/{Info.plist,MacOS,Resources}".
class Bundle
{
public:
    // The running program's absolute path.
    static QString mainExecutablePath();
    // The running bundle: the .app folder when the executable lies in <X>.app/Contents/MacOS/, else its folder.
    static QString mainBundlePath();
    // Succeeds when the running program is <bundlePath>/Contents/MacOS/<its CFBundleExecutable> and bundlePath ends
    // in ".app"; otherwise says why not, in one line.
    static Result<> verifyMainExecutable(const QString& bundlePath);
    // A key of <bundlePath>/Contents/Info.plist; invalid when the file or the key is missing.
    static QVariant infoDictionaryValue(const QString& bundlePath, const QString& key);
    // The Info.plist value as text, as a description prints it; absent (not a failure) when the file or the key is
    // missing or the value has no text form.
    static OptionalString infoDictionaryText(const QString& bundlePath, const QString& key);
};
