#include "Platform/Bundle.h"

#include "Platform/Log.h"
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
    switch (value.typeId()) {
    case QMetaType::Bool:
        // A boolean's description is its number.
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QVariantList:
        return Log::describeList(value.toStringList());
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        return std::nullopt;
    }
}
