#include "Platform/Files/Bundle.h"

#include "Platform/Files/Paths.h"
#include "Platform/Files/PropertyList.h"
#include "Platform/Log/Log.h"
#include "Platform/Log/TestHooks.h"

#include <QCoreApplication>
#include <QFileInfo>

QString Bundle::mainExecutablePath()
{
    return QFileInfo(TestHooks::mainExecutablePath.isEmpty() ? QCoreApplication::applicationFilePath()
                                                             : TestHooks::mainExecutablePath)
        .absoluteFilePath();
}

QString Bundle::mainBundlePath()
{
    const QString executable = mainExecutablePath();
    const QString macOS = Paths::deletingLastPathComponent(executable);
    const QString contents = Paths::deletingLastPathComponent(macOS);
    const QString bundle = Paths::deletingLastPathComponent(contents);
    if (Paths::lastPathComponent(macOS) == QLatin1String("MacOS") &&
        Paths::lastPathComponent(contents) == QLatin1String("Contents") && bundle.endsWith(QLatin1String(".app"))) {
        return bundle;
    }
    return macOS;
}

Result<> Bundle::verifyMainExecutable(const QString& bundlePath)
{
    const QString executable = mainExecutablePath();
    const QVariant name = infoDictionaryValue(bundlePath, QStringLiteral("CFBundleExecutable"));
    const QString executableName = name.typeId() == QMetaType::QString ? name.toString() : QString();
    if (!bundlePath.endsWith(QLatin1String(".app")) || executableName.isEmpty() ||
        executableName.contains(QLatin1Char('/')) || executableName == QLatin1String("..")) {
        return Failure{QStringLiteral("%1 is no application bundle with an executable").arg(bundlePath)};
    }
    // Both named as the system finds them, so a link on the way does not count as another place.
    const QString expected =
        QFileInfo(Paths::appendingPathComponent(
                      Paths::appendingPathComponent(bundlePath, QStringLiteral("Contents/MacOS")), executableName))
            .canonicalFilePath();
    if (expected.isEmpty() || expected != QFileInfo(executable).canonicalFilePath()) {
        return Failure{
            QStringLiteral("the running program %1 is not the executable of %2").arg(executable, bundlePath)};
    }
    return {};
}

QVariant Bundle::infoDictionaryValue(const QString& bundlePath, const QString& key)
{
    const auto info = PropertyList::dictionaryWithContentsOfFile(
        Paths::appendingPathComponent(bundlePath, QStringLiteral("Contents/Info.plist")));
    return info ? info->value(key) : QVariant();
}

OptionalString Bundle::infoDictionaryText(const QString& bundlePath, const QString& key)
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
