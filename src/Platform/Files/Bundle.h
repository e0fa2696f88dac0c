#pragma once

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
    // Nothing when the running program is <bundlePath>/Contents/MacOS/<its CFBundleExecutable> and bundlePath ends
    // in ".app"; otherwise why not, in one line.
    static std::optional<QString> mainExecutableRefusal(const QString& bundlePath);
    // A key of <bundlePath>/Contents/Info.plist; invalid when the file or the key is missing.
    static QVariant infoDictionaryValue(const QString& bundlePath, const QString& key);
    // The Info.plist value as text, as a description prints it; nothing when missing.
    static std::optional<QString> infoDictionaryText(const QString& bundlePath, const QString& key);
};
