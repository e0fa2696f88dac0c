#include "Handlers/OrvoDmgDownloader.h"

#include "Handlers/JoinProgressWindow.h"
#include "Objects/SessionDetails.h"
#include "Objects/WorkingFolders.h"
#include "Platform/CodeSignature.h"
#include "Platform/ExceptionGuard.h"
#include "Platform/FileManager.h"
#include "Platform/Log.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Paths.h"
#include "Platform/SiblingInstall.h"
#include "Platform/SystemRoot.h"
#include "Platform/SystemVersion.h"
#include "Platform/Task.h"
#include "Platform/UrlText.h"
#include "Platform/Workspace.h"

using namespace std::chrono_literals;

namespace {

constexpr auto downloadIdleTimeout = 240s;

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
    task.waitUntilExit();
    return task.terminationStatus();
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
        const bool made = initWithRequest(request, this);
        const QString destination =
            Paths::appendingPathComponent(WorkingFolders::agentFolder(), QStringLiteral("OrvoMac.dmg//"));
        if (!made) {
            Log::write("%s : Download failed", fullName);
        }
        setDestination(destination, true);
        Log::write("destination path : %@", destination);
    });
}

void OrvoDmgDownloader::downloadDidBegin(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoDmgDownloader downloadDidBegin:]";
    ExceptionGuard::run(fullName, [&] { Log::write("%s : downloadDidstarted", fullName); });
}

void OrvoDmgDownloader::downloadDidFail(UrlDownload* /*download*/, const DownloadError& error)
{
    const char* fullName = "-[OrvoDmgDownloader download:didFailWithError:]";
    ExceptionGuard::run(fullName, [&] { OrvoDmgDownloader::reportDownloadFailure(fullName, error, this); });
}

void OrvoDmgDownloader::reportDownloadFailure(const char* fullName, const DownloadError& error, const void* downloader)
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
        // Whatever is at the mount point is installed from, so it must be this image's volume and no other.
        if (!clearMountPoint(WorkingFolders::agentVolume())) {
            Log::write("%s : %@ is still attached from an earlier run; nothing installed", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall();
            return;
        }
        const int status = runHdiutil({QStringLiteral("mount"), inAgentFolder("OrvoMac.dmg")});
        Log::write("%s : dmg mount task termination status : %d", fullName, status);
        if (status != 0) {
            Log::write("%s : The image was not attached; nothing installed from %@", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall();
            return;
        }
        // An agent already there is not replaced; the image stays attached and the window open.
        if (FileManager::defaultManager().fileExists(inAgentFolder("Orvo.app"))) {
            return;
        }
        launched = copyAppFileAndLaunch();
        unMountingOrvoMacDmg();
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
        const QString appPath = Paths::appendingPathComponent(folder, QStringLiteral("Orvo.app"));
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
        if (installed == SiblingInstall::Result::Installed && workspaceLaunchApplication(appPath)) {
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

void OrvoDmgDownloader::endWithoutInstall()
{
    FileManager& manager = FileManager::defaultManager();
    const QString image = inAgentFolder("OrvoMac.dmg");
    if (manager.fileExists(image)) {
        manager.removeItem(image);
    }
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->closeWindow();
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
