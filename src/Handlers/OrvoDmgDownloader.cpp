#include "Handlers/OrvoDmgDownloader.h"

#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Objects/SessionDetails.h"
#include "Objects/WorkingFolders.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/Workspace.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"
#include "Platform/Files/SiblingInstall.h"
#include "Platform/Files/SystemRoot.h"
#include "Platform/Files/SystemVersion.h"
#include "Platform/Files/Task.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"
#include "Platform/Signing/CodeSignature.h"

#include <functional>
#include <utility>

using namespace std::chrono_literals;

namespace {

constexpr auto downloadIdleTimeout = 240s;
constexpr auto hdiutilBound = 2min;

const QString installFailedMessage = QStringLiteral(
    "The support app's package could not be opened. Press Retry; if it happens again, tell your technician.");
const QString agentInTheWayMessage =
    QStringLiteral("An older copy of the support app is in the way and could not be replaced. Quit the support app "
                   "if it is running, then press Retry.");
const QString launchFailedMessage =
    QStringLiteral("The support app could not be started. Press Retry; if it happens again, tell your technician.");
const QString refusedMessage = QStringLiteral(
    "The downloaded support app did not pass its safety check and was not installed. Press Retry to download it "
    "again.");
const QString notInstalledMessage =
    QStringLiteral("The support app could not be installed on this Mac. Free some disk space, then press Retry.");
const QString volumeInUseMessage = QStringLiteral(
    "The support app's package is still open from an earlier attempt. Press Retry; if it happens again, restart "
    "this Mac.");

// Retry of a step whose image cannot be trusted or used: it is fetched anew.
void retryDownload()
{
    OrvoAppUpgrader::getInstance()->retryAgentDownload();
}

void showPhase(JoinProgressWindow::Phase phase)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->showPhase(phase);
    }
}

void showFailure(const QString& message, std::function<void()> retry)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->showFailure(message, std::move(retry));
    }
}

QString imagePath()
{
    return Paths::appendingPathComponent(WorkingFolders::agentFolder(), QStringLiteral("OrvoMac.dmg//"));
}

QString inAgentFolder(const char* name)
{
    return WorkingFolders::agentFolder() + QString::fromLatin1(name);
}

QString onAgentVolume(const char* name)
{
    return WorkingFolders::agentVolume() + QLatin1Char('/') + QString::fromLatin1(name);
}

} // namespace

OrvoDmgDownloader::OrvoDmgDownloader() = default;

QStringList OrvoDmgDownloader::agentLaunchArguments()
{
    return {QStringLiteral("-timestamps"),
            QStringLiteral("{\"M3\":\"Agent downloaded time : 00:00:00 | Server : CDN\",\"M2\":\"Session Validated : "
                           "00:00:00\",\"M1\":\"Join Launched time : 00:00:00\",\"M4\":\"Agent launched time : "
                           "00:00:00\"}")};
}

int OrvoDmgDownloader::runHdiutil(const QStringList& arguments)
{
    Task task;
    task.setLaunchPath(QStringLiteral("/usr/bin/hdiutil"));
    task.setArguments(arguments);
    task.launch();
    if (!task.waitUntilExit(Task::boundFromEnvironment("ORVO_HDIUTIL_TIMEOUT_MS", hdiutilBound))) {
        Log::write("%s : /usr/bin/hdiutil %@ did not exit in time and was stopped", "+[OrvoDmgDownloader runHdiutil:]",
                   arguments.join(QLatin1Char(' ')));
    }
    return task.terminationStatus();
}

void OrvoDmgDownloader::removePartialImage()
{
    FileManager& manager = FileManager::defaultManager();
    const QString partial = UrlDownload::partialPathFor(imagePath());
    if (manager.fileExists(partial)) {
        manager.removeItem(partial);
    }
}

QString OrvoDmgDownloader::messageForError(const UrlError& error)
{
    if (error.httpStatus != 0) {
        return QStringLiteral("The service could not provide the support app (error %1). Press Retry; if it "
                              "happens again, tell your technician.")
            .arg(error.httpStatus);
    }
    switch (error.code) {
    case UrlErrorCode::CannotCreateFile:
    case UrlErrorCode::CannotWriteToFile:
    case UrlErrorCode::CannotMoveFile:
        return QStringLiteral("The support app could not be saved on this Mac. Free some disk space, then press "
                              "Retry.");
    case UrlErrorCode::TimedOut:
        return QStringLiteral("The download of the support app stalled. Check your internet connection, then press "
                              "Retry.");
    case UrlErrorCode::UnsupportedUrl:
    case UrlErrorCode::SecureConnectionFailed:
        return QStringLiteral("The support app's download location could not be trusted. Press Retry; if it "
                              "happens again, tell your technician.");
    default:
        return QStringLiteral("The download of the support app was interrupted. Check your internet connection, "
                              "then press Retry.");
    }
}

QString OrvoDmgDownloader::failureMessage() const
{
    return m_failureMessage;
}

void OrvoDmgDownloader::startDownLoadingOrvoMacDmg()
{
    const char* fullName = "-[OrvoDmgDownloader startDownLoadingOrvoMacDmg]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const QString text = session->isCdnAvailable()
                                 ? Log::format("%@", {session->cdnUrl()})
                                 : Log::format("https://%@/agent/OrvoMac.dmg", {session->webServerName()});
        const std::optional<QUrl> url = UrlText::urlWithString(text);
        Log::write("%s : Orvo Dmg Url : %@", fullName,
                   url ? QString::fromUtf8(url->toEncoded()) : QStringLiteral("(null)"));
        const OptionalString productVersion = SystemVersion::productVersion();
        const OptionalString productName = SystemVersion::productName();
        Log::write("%s : System version details %@", fullName, productName);
        Log::write("%s : System version : %@", fullName, productVersion);
        UrlRequest request(url, 0, downloadIdleTimeout);
        request.setHttpMethod(QStringLiteral("GET"));
        request.setValueForHTTPHeaderField(Log::format("%@ %@", {productName, productVersion}),
                                           QStringLiteral("User-Agent"));
        // A download that could not be set up is also reported to downloadDidFail, which offers Retry.
        const Result<> made = initWithRequest(request, this);
        const QString destination = imagePath();
        if (!made) {
            Log::write("%s : Download failed", fullName);
        }
        // Kept so that Retry asks only for the rest.
        setKeepsPartialFile(true);
        setDestination(destination, true);
        Log::write("destination path : %@", destination);
    });
}

void OrvoDmgDownloader::downloadDidBegin(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoDmgDownloader downloadDidBegin:]";
    ExceptionGuard::run(fullName, [&] { Log::write("%s : downloadDidstarted", fullName); });
}

void OrvoDmgDownloader::downloadDidFail(UrlDownload* /*download*/, const UrlError& error)
{
    const char* fullName = "-[OrvoDmgDownloader download:didFailWithError:]";
    ExceptionGuard::run(fullName, [&] {
        // Set first: the progress window reads it when the notification arrives.
        m_failureMessage = messageForError(error);
        OrvoDmgDownloader::reportDownloadFailure(fullName, error, this);
    });
}

void OrvoDmgDownloader::downloadDidReceiveResponse(UrlDownload* /*download*/, qint64 expectedLength)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->showDownloadProgress(resumedFrom(), expectedLength);
    }
    m_expectedLength = expectedLength;
}

void OrvoDmgDownloader::downloadDidReceiveData(UrlDownload* /*download*/, qint64 bytesReceived)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->showDownloadProgress(bytesReceived, m_expectedLength);
    }
}

void OrvoDmgDownloader::reportDownloadFailure(const char* fullName, const UrlError& error, const void* downloader)
{
    Log::write("%s : Download failed! Error - %@ %@ ", fullName, error.localizedDescription, error.failingUrlString);
    Log::write("%s : Download failed! Whole Error - %@", fullName, error.description());
    NotificationCenter::defaultCenter().post(QStringLiteral("RetryDMGDownloadig"), downloader);
}

void OrvoDmgDownloader::downloadDidFinish(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoDmgDownloader downloadDidFinish:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : downloadDidFinish", fullName);
        mountingOrvoMacDmg();
        SessionDetails::getInstance()->setRetryCounter(0);
    });
}

bool OrvoDmgDownloader::mountingOrvoMacDmg()
{
    const char* fullName = "-[OrvoDmgDownloader mountingOrvoMacDmg]";
    bool launched = false;
    ExceptionGuard::run(fullName, [&] {
        showPhase(JoinProgressWindow::Phase::Installing);
        // Whatever is at the mount point is installed from, so it must be this image's volume and no other.
        if (!clearMountPoint(WorkingFolders::agentVolume())) {
            Log::write("%s : %@ is still attached from an earlier run; nothing installed", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall(volumeInUseMessage);
            return;
        }
        const int status = runHdiutil({QStringLiteral("mount"), inAgentFolder("OrvoMac.dmg")});
        Log::write("%s : dmg mount task termination status : %d", fullName, status);
        if (status != 0) {
            Log::write("%s : The image was not attached; nothing installed from %@", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall(installFailedMessage);
            return;
        }
        // An agent already there is not replaced; detached so that Retry attaches afresh.
        if (FileManager::defaultManager().fileExists(inAgentFolder("Orvo.app"))) {
            unMountingOrvoMacDmg();
            showFailure(agentInTheWayMessage, [this] { mountingOrvoMacDmg(); });
            return;
        }
        launched = copyAppFileAndLaunch();
        // An agent that did not start leaves the image attached for Retry.
        if (launched) {
            unMountingOrvoMacDmg();
        }
    });
    return launched;
}

bool OrvoDmgDownloader::copyAppFileAndLaunch()
{
    const char* fullName = "-[OrvoDmgDownloader copyAppFileAndLaunch]";
    bool launched = false;
    ExceptionGuard::run(fullName, [&] {
        FileManager& manager = FileManager::defaultManager();
        const QString folder = WorkingFolders::agentFolder();
        manager.createDirectory(folder, true);
        // Copied beside its place, verified there, and renamed in whole: the agent path never holds a torn or
        // foreign agent, and only what verified is launched.
        QString refusal;
        const SiblingInstall::Result installed = SiblingInstall::install(
            SystemRoot::path(onAgentVolume("Orvo.app")),
            Paths::appendingPathComponent(folder, QStringLiteral("/Orvo.app")),
            [](const QString& copy) { return CodeSignature::verifyBundle(copy); }, &refusal);
        if (installed == SiblingInstall::Result::Installed) {
            Log::write("%s : Orvo.app file copied", fullName);
        } else if (installed == SiblingInstall::Result::Refused) {
            Log::write("%s : Orvo.app not installed: %@", fullName, refusal);
        }
        if (installed != SiblingInstall::Result::Installed) {
            Log::write("orvo app file not launched");
            // Nothing installed: the image goes, as it may be what was refused, and Retry fetches it anew.
            removeImage();
            unMountingOrvoMacDmg();
            showFailure(installed == SiblingInstall::Result::Refused ? refusedMessage : notInstalledMessage,
                        [] { retryDownload(); });
            return;
        }
        launched = launchAndFinish();
    });
    return launched;
}

bool OrvoDmgDownloader::launchAndFinish()
{
    // Part of copyAppFileAndLaunch, whose name its lines carry.
    const char* fullName = "-[OrvoDmgDownloader copyAppFileAndLaunch]";
    bool launched = false;
    ExceptionGuard::run(fullName, [&] {
        FileManager& manager = FileManager::defaultManager();
        const QString folder = WorkingFolders::agentFolder();
        const QString appPath = Paths::appendingPathComponent(folder, QStringLiteral("Orvo.app"));
        showPhase(JoinProgressWindow::Phase::StartingAgent);
        QString refusal;
        if (workspaceLaunchApplication(appPath)) {
            launched = true;
            Log::write("%s : App Path : %@ orvo app file launched!", fullName, appPath);
            struct Tool
            {
                const char* name;
                QString destination;
                const char* copied;
            };
            const Tool tools[] = {
                {"OrvoCrashDetector", inAgentFolder("OrvoCrashDetector"), "%s : OrvoCrashDetector file copied"},
                {"WendraUserHandler", Paths::appendingPathComponent(folder, QStringLiteral("/WendraUserHandler")),
                 "%s : WendraUserHandler file copied"},
                {"OWPreLogin", Paths::appendingPathComponent(folder, QStringLiteral("/OWPreLogin")),
                 "%s :OWPreLogin file copied"},
                {"OrvoPingAgent", Paths::appendingPathComponent(folder, QStringLiteral("/OrvoPingAgent")),
                 "%s :OrvoPingAgent file copied"},
            };
            // Each tool is checked against the digests the agent just installed carries, and replaces an older one.
            const auto matchesAgent = [&appPath](const QString& copy) {
                return CodeSignature::verifyCompanion(appPath, copy);
            };
            for (const Tool& tool : tools) {
                const SiblingInstall::Result result = SiblingInstall::install(
                    SystemRoot::path(onAgentVolume(tool.name)), tool.destination, matchesAgent, &refusal);
                if (result == SiblingInstall::Result::Installed) {
                    Log::write(tool.copied, fullName);
                } else if (result == SiblingInstall::Result::Refused) {
                    Log::write("%s : %@ not installed: %@", fullName, QString::fromLatin1(tool.name), refusal);
                }
            }
        } else {
            Log::write("orvo app file not launched");
            // The image stays attached, so Retry can launch again and then copy the tools.
            showFailure(launchFailedMessage, [this] { launchAndFinish(); });
            return;
        }
        const QString image = Log::format("%@OrvoMac.dmg", {folder});
        if (manager.fileExists(image)) {
            manager.removeItem(image);
        }
        unMountingOrvoMacDmg();
        if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
            progress->closeWindow();
        }
    });
    return launched;
}

void OrvoDmgDownloader::unMountingOrvoMacDmg()
{
    const char* fullName = "-[OrvoDmgDownloader unMountingOrvoMacDmg]";
    ExceptionGuard::run(fullName, [&] {
        const int status = runHdiutil({QStringLiteral("detach"), WorkingFolders::agentVolume()});
        Log::write("%s : Dmg unmount task termination status : %d", fullName, status);
    });
}

bool OrvoDmgDownloader::clearMountPoint(const QString& volume)
{
    if (!FileManager::defaultManager().fileExists(SystemRoot::path(volume))) {
        return true;
    }
    // Not logged: this run did not attach it, and only what is left afterwards matters.
    runHdiutil({QStringLiteral("detach"), volume});
    return !FileManager::defaultManager().fileExists(SystemRoot::path(volume));
}

void OrvoDmgDownloader::endWithoutInstall(const QString& message)
{
    removeImage();
    showFailure(message, [] { retryDownload(); });
}

void OrvoDmgDownloader::removeImage()
{
    FileManager& manager = FileManager::defaultManager();
    const QString image = inAgentFolder("OrvoMac.dmg");
    if (manager.fileExists(image)) {
        manager.removeItem(image);
    }
}

bool OrvoDmgDownloader::workspaceLaunchApplication(const QString& path)
{
    const char* fullName = "-[OrvoDmgDownloader workspaceLaunchApplication:]";
    bool launched = false;
    ExceptionGuard::run(fullName, [&] {
        const QStringList arguments = agentLaunchArguments();
        if (Workspace::launchApplication(path, arguments)) {
            Log::write("%s : LaunchApplication: %@ launched successfully with args : %@", fullName,
                       Paths::lastPathComponent(path), arguments);
            launched = true;
        }
    });
    return launched;
}
