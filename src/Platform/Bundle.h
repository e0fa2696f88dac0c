#pragma once

#include <QString>
#include <QVariant>

// Application bundles: "<Name>.app/Contents/{Info.plist,MacOS,Resources}".
class Bundle
{
public:
    // The running bundle: the .app folder when the executable lies in <X>.app/Contents/MacOS/, else its folder.
    static QString mainBundlePath();
    // A key of <bundlePath>/Contents/Info.plist; invalid when the file or the key is missing.
    static QVariant infoDictionaryValue(const QString& bundlePath, const QString& key);
    // The Info.plist value as text, as a description prints it; nothing when missing.
    static std::optional<QString> infoDictionaryText(const QString& bundlePath, const QString& key);
};
