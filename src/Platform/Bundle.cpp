#include "Platform/Bundle.h"

#include "Platform/Paths.h"
#include "Platform/PropertyList.h"

#include <QCoreApplication>
#include <QFileInfo>

QString Bundle::mainBundlePath()
{
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    const QString macOS = Paths::deletingLastPathComponent(executable);
    const QString contents = Paths::deletingLastPathComponent(macOS);
    const QString bundle = Paths::deletingLastPathComponent(contents);
    if (Paths::lastPathComponent(macOS) == QLatin1String("MacOS") &&
        Paths::lastPathComponent(contents) == QLatin1String("Contents") && bundle.endsWith(QLatin1String(".app"))) {
        return bundle;
    }
    return macOS;
}

QVariant Bundle::infoDictionaryValue(const QString& bundlePath, const QString& key)
{
    const auto info = PropertyList::dictionaryWithContentsOfFile(
        Paths::appendingPathComponent(bundlePath, QStringLiteral("Contents/Info.plist")));
    return info ? info->value(key) : QVariant();
}

std::optional<QString> Bundle::infoDictionaryText(const QString& bundlePath, const QString& key)
{
    const QVariant value = infoDictionaryValue(bundlePath, key);
    if (!value.isValid() || !value.canConvert<QString>()) {
        return std::nullopt;
    }
    return value.toString();
}
