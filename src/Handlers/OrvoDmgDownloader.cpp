#include "Handlers/OrvoDmgDownloader.h"

#include "Handlers/DownloadFailureReport.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Objects/SessionDetails.h"
#include "Objects/VersionNumber.h"
#include "Objects/WorkingFolders.h"
#include "Platform/App/Workspace.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/DiskImage.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"
#include "Platform/Files/SiblingInstall.h"
#include "Platform/Files/SystemRoot.h"
#include "Platform/Files/SystemVersion.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"
#include "Platform/Signing/CodeSignature.h"
#include "Platform/Signing/SignedListCache.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>

#include <functional>
#include <utility>

using namespace std::chrono_literals;

namespace {

constexpr auto downloadIdleTimeout = 240s;
// Far beyond any agent image; a server sending more is flooding the disk.
constexpr qint64 maximumImageLength = qint64{4} << 30;

const TranslatedText installFailedMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP(
        "OrvoDmgDownloader",
        "The support app's package could not be opened. Press Retry; if it happens again, tell your technician.")};
const TranslatedText agentInTheWayMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                      "An older copy of the support app is in the way and could not be replaced. Quit the support app "
                      "if it is running, then press Retry.")};
const TranslatedText launchFailedMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                      "The support app could not be started. Press Retry; if it happens again, tell your technician.")};
const TranslatedText refusedMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP(
        "OrvoDmgDownloader",
        "The downloaded support app did not pass its safety check and was not installed. Press Retry to download it "
        "again.")};
const TranslatedText notInstalledMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                      "The support app could not be installed on this Mac. Free some disk space, then press Retry.")};
const TranslatedText volumeInUseMessage{
    "OrvoDmgDownloader",
    QT_TRANSLATE_NOOP(
        "OrvoDmgDownloader",
        "The support app's package is still open from an earlier attempt. Press Retry; if it happens again, restart "
        "this Mac.")};

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

void showFailure(const TranslatedText& message, std::function<void()> retry)
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

// The only identity an agent may have: anything else we signed is not an agent.
const QString agentIdentifier = QStringLiteral("com.orvo.wendra.agent");

// One of the files an agent image delivers beside the agent, with the line its install writes.
struct Tool
{
    const char* name;
    QString destination;
    const char* copied;
};

QList<Tool> companionTools()
{
    const QString folder = WorkingFolders::agentFolder();
    return {
        {"OrvoCrashDetector", inAgentFolder("OrvoCrashDetector"), "%s : OrvoCrashDetector file copied"},
        {"WendraUserHandler", Paths::appendingPathComponent(folder, QStringLiteral("/WendraUserHandler")),
         "%s : WendraUserHandler file copied"},
        {"OWPreLogin", Paths::appendingPathComponent(folder, QStringLiteral("/OWPreLogin")),
         "%s :OWPreLogin file copied"},
        {"OrvoPingAgent", Paths::appendingPathComponent(folder, QStringLiteral("/OrvoPingAgent")),
         "%s :OrvoPingAgent file copied"},
    };
}

QString agentPath()
{
    return Paths::appendingPathComponent(WorkingFolders::agentFolder(), QStringLiteral("Orvo.app"));
}

// The version a new agent must reach: the installed agent's, or "0" when there is none or it fails its check.
QString installedAgentVersion()
{
    const QString installed = agentPath();
    if (!FileManager::defaultManager().fileExists(installed) || !CodeSignature::verifyBundle(installed).ok()) {
        return QStringLiteral("0");
    }
    return Bundle::infoDictionaryText(installed, QStringLiteral("CFBundleShortVersionString"))
        .value_or(QStringLiteral("0"));
}

// Succeeds when the copy is a whole signed agent, named as the agent, and not older than installedVersion; both are
// read from the verified copy, whose Info.plist the signature covers.
Result<> acceptAgent(const QString& copy, const QString& installedVersion)
{
    if (Result<> verified = CodeSignature::verifyBundle(copy); !verified.ok()) {
        return verified;
    }
    const OptionalString identifier = Bundle::infoDictionaryText(copy, QStringLiteral("CFBundleIdentifier"));
    if (identifier != agentIdentifier) {
        return Failure{Log::format("it is %@, not the agent %@", {identifier, agentIdentifier})};
    }
    const OptionalString version = Bundle::infoDictionaryText(copy, QStringLiteral("CFBundleShortVersionString"));
    if (!VersionNumber::isNotOlder(version.value_or(QString()), installedVersion)) {
        return Failure{Log::format("its version %@ is older than the installed %@", {version, installedVersion})};
    }
    return {};
}

// The cheap checks of the image before anything is copied: the agent's signed list against its names, kinds and
// sizes, and every tool there. Fails naming the item and why.
Result<> precheckVolume(QString& item)
{
    item = QStringLiteral("Orvo.app");
    if (Result<> shaped = CodeSignature::verifyShape(SystemRoot::path(onAgentVolume("Orvo.app"))); !shaped.ok()) {
        return shaped;
    }
    for (const Tool& tool : companionTools()) {
        struct stat st;
        if (::lstat(QFile::encodeName(SystemRoot::path(onAgentVolume(tool.name))).constData(), &st) != 0) {
            item = QString::fromLatin1(tool.name);
            return Failure{QStringLiteral("it is not in the image")};
        }
    }
    return {};
}

} // namespace

OrvoDmgDownloader::OrvoDmgDownloader()
{
    setMaximumLength(maximumImageLength);
}

QStringList OrvoDmgDownloader::agentLaunchArguments()
{
    return {QStringLiteral("-timestamps"),
            QStringLiteral("{\"M3\":\"Agent downloaded time : 00:00:00 | Server : CDN\",\"M2\":\"Session Validated : "
                           "00:00:00\",\"M1\":\"Join Launched time : 00:00:00\",\"M4\":\"Agent launched time : "
                           "00:00:00\"}")};
}

void OrvoDmgDownloader::removePartialImage()
{
    // Best effort: a part left now is replaced by the next download's.
    static_cast<void>(PartialFile::discardKept(imagePath()));
}

TranslatedText OrvoDmgDownloader::proxyRefusedMessage(const QString& proxy)
{
    return TranslatedText("OrvoAppUpgrader",
                          //: %1 is the proxy's host:port.
                          QT_TRANSLATE_NOOP("OrvoAppUpgrader",
                                            "The proxy server %1 refused the connection: it needs a user name and "
                                            "password that were not given or not accepted. Check your proxy "
                                            "settings, then press Retry."))
        .arg(proxy);
}

TranslatedText OrvoDmgDownloader::messageForError(const UrlError& error)
{
    if (!error.refusingProxy.isEmpty()) {
        return proxyRefusedMessage(error.refusingProxy);
    }
    if (error.httpStatus != 0) {
        return TranslatedText(
                   "OrvoDmgDownloader",
                   QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                                     "The service could not provide the support app (error %1). Press Retry; if it "
                                     "happens again, tell your technician."))
            .arg(error.httpStatus);
    }
    switch (error.code) {
    case UrlErrorCode::CannotCreateFile:
    case UrlErrorCode::CannotWriteToFile:
    case UrlErrorCode::CannotMoveFile:
        return TranslatedText(
            "OrvoDmgDownloader",
            QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                              "The support app could not be saved on this Mac. Free some disk space, then press "
                              "Retry."));
    case UrlErrorCode::TimedOut:
        return TranslatedText(
            "OrvoDmgDownloader",
            QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                              "The download of the support app stalled. Check your internet connection, then press "
                              "Retry."));
    case UrlErrorCode::UnsupportedUrl:
    case UrlErrorCode::SecureConnectionFailed:
    case UrlErrorCode::DataLengthExceedsMaximum:
        return TranslatedText(
            "OrvoDmgDownloader",
            QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                              "The support app's download location could not be trusted. Press Retry; if it "
                              "happens again, tell your technician."));
    default:
        return TranslatedText(
            "OrvoDmgDownloader",
            QT_TRANSLATE_NOOP("OrvoDmgDownloader",
                              "The download of the support app was interrupted. Check your internet connection, "
                              "then press Retry."));
    }
}

TranslatedText OrvoDmgDownloader::failureMessage() const
{
    return m_failureMessage;
}

void OrvoDmgDownloader::startDownLoadingOrvoMacDmg(bool fromFallback)
{
    const char* fullName = "-[OrvoDmgDownloader startDownLoadingOrvoMacDmg]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const QString text = fromFallback ? Log::format("%@", {session->fallbackUrl()})
                             : session->isCdnAvailable()
                                 ? Log::format("%@", {session->cdnUrl()})
                                 : Log::format("https://%@/agent/OrvoMac.dmg", {session->webServerName()});
        const std::optional<QUrl> url = UrlText::urlWithString(text);
        Log::write("%s : Orvo Dmg Url : %@", fullName, UrlText::forLog(url));
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
        if (OrvoAppUpgrader::getInstance()->continueAgentDownload(error)) {
            DownloadFailureReport::log(fullName, error);
            return;
        }
        DownloadFailureReport::post(fullName, error, this);
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

void OrvoDmgDownloader::downloadDidFinish(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoDmgDownloader downloadDidFinish:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : downloadDidFinish", fullName);
        Log::write("%s : served by %@", fullName, Log::outsideText(effectiveUrl().host()));
        Log::write("%s : downloaded from %s", fullName,
                   OrvoAppUpgrader::downloadsFromFallback() ? "fallback_url" : "download_url");
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
        if (!DiskImage::clearMountPoint(WorkingFolders::agentVolume())) {
            Log::write("%s : %@ is still attached from an earlier run; nothing installed", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall(volumeInUseMessage);
            return;
        }
        MountedVolume volume = DiskImage::attach(inAgentFolder("OrvoMac.dmg"), WorkingFolders::agentVolume());
        Log::write("%s : dmg mount task termination status : %d", fullName, volume.status());
        if (!volume.isAttached()) {
            Log::write("%s : The image was not attached; nothing installed from %@", fullName,
                       WorkingFolders::agentVolume());
            endWithoutInstall(installFailedMessage);
            return;
        }
        // From here each step detaches it by its mount point, with its line, or leaves it attached for Retry.
        volume.release();
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
        // A folder that cannot be made fails the install below, which says so.
        static_cast<void>(manager.createDirectory(folder, true));
        // The agent and its tools go in together or not at all, each copied beside its place and verified there;
        // the installed agent is exchanged with the new one only once all are accepted, so a refused or failed
        // install leaves it working, and only what verified is launched.
        QString refusedItem;
        // The volume, the copy and each tool are checked against the same signed list: it is read once.
        const SignedListCache signedLists;
        SiblingInstall::JointInstallation installed{SiblingInstall::Outcome::Refused, QString()};
        if (Result<> fits = precheckVolume(refusedItem); !fits.ok()) {
            installed.reason = fits.error();
        } else {
            const QString minimum = installedAgentVersion();
            QString agentCopy;
            QList<SiblingInstall::Item> items{{SystemRoot::path(onAgentVolume("Orvo.app")),
                                               Paths::appendingPathComponent(folder, QStringLiteral("/Orvo.app")),
                                               [&agentCopy, &minimum](const QString& copy) {
                                                   agentCopy = copy;
                                                   return acceptAgent(copy, minimum);
                                               }}};
            const QList<Tool> tools = companionTools();
            for (const Tool& tool : tools) {
                // Each tool is checked against the digests the verified copy of the agent carries.
                items.append(
                    {SystemRoot::path(onAgentVolume(tool.name)), tool.destination, [&agentCopy](const QString& copy) {
                         return CodeSignature::verifyCompanion(agentCopy, copy);
                     }});
            }
            installed = SiblingInstall::installAll(items);
            refusedItem = installed.failedItem > 0 ? QString::fromLatin1(tools.at(installed.failedItem - 1).name)
                                                   : QStringLiteral("Orvo.app");
        }
        if (installed.outcome != SiblingInstall::Outcome::Installed) {
            if (installed.outcome == SiblingInstall::Outcome::Refused) {
                Log::write("%s : %@ not installed: %@", fullName, refusedItem, Log::outsideText(installed.reason));
            }
            Log::write("orvo app file not launched");
            unMountingOrvoMacDmg();
            if (installed.outcome == SiblingInstall::Outcome::NotPlaced) {
                // The image is fine; Retry attaches it again once the old agent lets go.
                showFailure(agentInTheWayMessage, [this] { mountingOrvoMacDmg(); });
                return;
            }
            // Nothing installed: the image goes, as it may be what was refused, and Retry fetches it anew.
            removeImage();
            showFailure(installed.outcome == SiblingInstall::Outcome::Refused ? refusedMessage : notInstalledMessage,
                        [] { retryDownload(); });
            return;
        }
        Log::write("%s : Orvo.app file copied", fullName);
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
        const QString appPath = agentPath();
        showPhase(JoinProgressWindow::Phase::StartingAgent);
        if (!workspaceLaunchApplication(appPath)) {
            Log::write("orvo app file not launched");
            // The image stays attached, so Retry can launch again.
            showFailure(launchFailedMessage, [this] { launchAndFinish(); });
            return;
        }
        launched = true;
        Log::write("%s : App Path : %@ orvo app file launched!", fullName, appPath);
        // The tools went in with the agent; their lines follow the launch, where they always stood.
        for (const Tool& tool : companionTools()) {
            Log::write(tool.copied, fullName);
        }
        removeImage();
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
        const int status = DiskImage::detach(WorkingFolders::agentVolume());
        Log::write("%s : Dmg unmount task termination status : %d", fullName, status);
    });
}

void OrvoDmgDownloader::endWithoutInstall(const TranslatedText& message)
{
    removeImage();
    showFailure(message, [] { retryDownload(); });
}

void OrvoDmgDownloader::removeImage()
{
    // Best effort: an image left behind is overwritten by the next download.
    static_cast<void>(DiskImage::remove(inAgentFolder("OrvoMac.dmg")));
}

bool OrvoDmgDownloader::workspaceLaunchApplication(const QString& path)
{
    const char* fullName = "-[OrvoDmgDownloader workspaceLaunchApplication:]";
    bool launched = false;
    ExceptionGuard::run(fullName, [&] {
        const QStringList arguments = agentLaunchArguments();
        // A failed launch is answered by the callers, with Retry in the progress window; its reason is not logged.
        launched = Workspace::launchApplication(path, arguments).ok();
        if (launched) {
            Log::write("%s : LaunchApplication: %@ launched successfully with args : %@", fullName,
                       Paths::lastPathComponent(path), arguments);
        }
    });
    return launched;
}
