#include "Platform/Files/SystemVersion.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/PropertyList.h"
#include "Platform/Files/SystemRoot.h"

#include <QFile>

namespace {

// One KEY=VALUE line's value: unquoted, or in single or double quotes with backslash escapes.
QString osReleaseValue(const QString& raw)
{
    const QString text = raw.trimmed();
    if (text.size() < 2 || (text.front() != QLatin1Char('"') && text.front() != QLatin1Char('\''))) {
        return text;
    }
    QString out;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() - 1) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

} // namespace

OptionalString SystemVersion::productName()
{
    return value("ProductName", "NAME");
}

OptionalString SystemVersion::productVersion()
{
    return value("ProductVersion", "VERSION_ID");
}

OptionalString SystemVersion::value(const char* plistKey, const char* osReleaseKey)
{
    const QString plist = SystemRoot::path(QStringLiteral("/System/Library/CoreServices/SystemVersion.plist"));
    if (FileManager::defaultManager().fileExists(plist)) {
        const auto info = PropertyList::dictionaryWithContentsOfFile(plist);
        const QVariant found = info ? info->value(QString::fromLatin1(plistKey)) : QVariant();
        if (found.typeId() == QMetaType::QString || found.typeId() == QMetaType::LongLong ||
            found.typeId() == QMetaType::Double) {
            return found.toString();
        }
        return std::nullopt;
    }
    QFile file(SystemRoot::path(QStringLiteral("/etc/os-release")));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray prefix = QByteArray(osReleaseKey) + '=';
    // A bounded read: the file is a few lines long.
    const QList<QByteArray> lines = file.read(qint64{64} * 1024).split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(prefix)) {
            return osReleaseValue(QString::fromUtf8(line.mid(prefix.size())));
        }
    }
    return std::nullopt;
}
