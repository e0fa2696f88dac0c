#include "Platform/App/Workspace.h"

#include "Platform/Files/Bundle.h"
#include "Platform/Files/Paths.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

Result<> Workspace::launchApplication(const QString& bundlePath, const QStringList& arguments)
{
    const QVariant name = Bundle::infoDictionaryValue(bundlePath, QStringLiteral("CFBundleExecutable"));
    const QString executableName = name.typeId() == QMetaType::QString ? name.toString() : QString();
    // The name is a file inside Contents/MacOS, never a path that leads out of the bundle.
    if (executableName.isEmpty() || executableName.contains(QLatin1Char('/')) ||
        executableName == QLatin1String("..") || executableName == QLatin1String(".")) {
        return Failure{QStringLiteral("The application \"%1\" has no executable.").arg(bundlePath)};
    }
    const QString executable = Paths::appendingPathComponent(
        Paths::appendingPathComponent(bundlePath, QStringLiteral("Contents/MacOS")), executableName);
    const QByteArray native = QFile::encodeName(executable);
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(native.constData(), X_OK) != 0) {
        return Failure{QStringLiteral("The executable \"%1\" is missing or cannot be run.").arg(executable)};
    }
    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setWorkingDirectory(QStringLiteral("/"));
    process.setStandardInputFile(QProcess::nullDevice());
    // Detached: the application is not our child and lives on in a session of its own after we quit.
    if (!process.startDetached()) {
        return Failure{
            QStringLiteral("The application \"%1\" could not be started: %2").arg(bundlePath, process.errorString())};
    }
    return {};
}
