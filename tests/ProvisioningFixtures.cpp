#include "ProvisioningFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace ProvisioningFixtures {

bool writeFile(const QString& path, const QByteArray& contents, int mode)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size()) {
        return false;
    }
    file.close();
    return ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0;
}

QByteArray plist(const QList<QPair<QString, QString>>& entries)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n";
    for (const auto& [key, value] : entries) {
        out += "<key>" + key.toUtf8() + "</key><string>" + value.toUtf8() + "</string>\n";
    }
    return out + "</dict></plist>\n";
}

bool makeBundle(const QString& path, const QString& version, const QString& executable, const QByteArray& script)
{
    QList<QPair<QString, QString>> info{{QStringLiteral("CFBundleShortVersionString"), version}};
    if (!executable.isEmpty()) {
        info.append({QStringLiteral("CFBundleExecutable"), executable});
    }
    const QString name = executable.isEmpty() ? QStringLiteral("Orvo") : executable;
    return writeFile(path + QStringLiteral("/Contents/Info.plist"), plist(info)) &&
           writeFile(path + QStringLiteral("/Contents/MacOS/") + name, script, 0755);
}

bool makeRecordingAgent(const QString& bundlePath, const QString& version)
{
    return makeBundle(bundlePath, version, QStringLiteral("Orvo"),
                      "#!/bin/sh\n"
                      "out=\"$(dirname \"$0\")/../../../agent-args\"\n"
                      "{ printf '%s\\0' \"$@\"; printf 'cwd=%s\\0' \"$(pwd)\";"
                      "  read -r _ _ _ _ _ sid _ < /proc/$$/stat; printf 'sid=%s\\0' \"$sid\";"
                      "  [ \"$(readlink /proc/$$/fd/0)\" = /dev/null ] && printf 'stdin-null\\0'; } > \"$out.tmp\"\n"
                      "mv \"$out.tmp\" \"$out\"\n");
}

QByteArray agentRecord(const QString& bundlePath)
{
    return readFile(QFileInfo(bundlePath).absolutePath() + QStringLiteral("/agent-args"));
}

QStringList recordedAgentArguments(const QString& bundlePath)
{
    QStringList arguments;
    for (const QByteArray& item : agentRecord(bundlePath).split('\0')) {
        if (!item.isEmpty() && !item.startsWith("cwd=") && !item.startsWith("sid=") && item != "stdin-null") {
            arguments << QString::fromUtf8(item);
        }
    }
    return arguments;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace ProvisioningFixtures
