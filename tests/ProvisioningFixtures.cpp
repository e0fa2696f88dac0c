#include "ProvisioningFixtures.h"

#include "Platform/Files/FileManager.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

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

QStringList agentArguments()
{
    return {QStringLiteral("-timestamps"),
            QStringLiteral(R"({"M3":"Agent downloaded time : 00:00:00 | Server : CDN","M2":"Session Validated : )"
                           R"(00:00:00","M1":"Join Launched time : 00:00:00","M4":"Agent launched time : 00:00:00"})")};
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

QStringList treeListing(const QString& path)
{
    QStringList out;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (QString entry = path; !entry.isEmpty(); entry = it.hasNext() ? it.next() : QString()) {
        struct stat st;
        if (::lstat(QFile::encodeName(entry).constData(), &st) != 0) {
            return {QStringLiteral("missing")};
        }
        QString line = entry.mid(path.size()) + QLatin1Char(' ') + QString::number(st.st_mode, 8);
        if (S_ISLNK(st.st_mode)) {
            char target[4096] = {};
            const ssize_t length = ::readlink(QFile::encodeName(entry).constData(), target, sizeof target - 1);
            line += QLatin1Char(' ') + QString::fromLocal8Bit(target, length < 0 ? 0 : int(length));
        } else if (S_ISREG(st.st_mode)) {
            line += QLatin1Char(' ') + QCryptographicHash::hash(readFile(entry), QCryptographicHash::Sha1).toHex();
        }
        out << line;
    }
    out.sort();
    return out;
}

QStringList companionTools()
{
    return {QStringLiteral("OrvoCrashDetector"), QStringLiteral("WendraUserHandler"), QStringLiteral("OWPreLogin"),
            QStringLiteral("OrvoPingAgent")};
}

bool stageAgent(const QString& folder)
{
    const QString built = QFileInfo(QStringLiteral(ORVO_AGENT_BUNDLE)).absolutePath();
    FileManager& manager = FileManager::defaultManager();
    bool ok = QDir().mkpath(folder) &&
              manager.copyItem(built + QStringLiteral("/Orvo.app"), folder + QStringLiteral("/Orvo.app"));
    for (const QString& tool : companionTools()) {
        ok = ok && manager.copyItem(built + '/' + tool, folder + '/' + tool);
    }
    return ok;
}

bool signStagedAgent(const QString& folder)
{
    QStringList tools;
    for (const QString& tool : companionTools()) {
        tools << folder + '/' + tool;
    }
    return signBundleForTest(folder + QStringLiteral("/Orvo.app"), tools);
}

bool makeImage(const QString& folder, const QString& volumeName, const QString& image)
{
    QProcess create;
    create.start(QStringLiteral(ORVO_HDIUTIL_STANDIN),
                 {QStringLiteral("create"), QStringLiteral("-ov"), QStringLiteral("-volname"), volumeName,
                  QStringLiteral("-srcfolder"), folder, image});
    return create.waitForFinished(120000) && create.exitStatus() == QProcess::NormalExit && create.exitCode() == 0;
}

} // namespace ProvisioningFixtures
