#include "Handlers/OrvoAppUpgrader.h"

#include "Handlers/ApiHandler.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Objects/WorkingFolders.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/FileWriter.h"
#include "Platform/Files/Paths.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Signing/SignatureCheck.h"

#include <QMutex>

namespace {

OrvoAppUpgrader* orvoAppUpgraderObj = nullptr;
// The downloader of the latest decision; holding it keeps its download running.
OrvoDmgDownloader* orvoDmgDownloader = nullptr;
QMutex classLock;
// The check of the installed agent started at start-up; its verdict decides whether its version is sent and
// whether it is launched. One decision uses it up: a later join checks afresh.
SignatureCheck installedAgentCheck;
bool installedAgentRefusalLogged = false;

// Starts checking the agent at path; with no path, forgets the last check.
void resetInstalledAgentCheck(const QString& path = QString())
{
    installedAgentCheck = path.isEmpty() ? SignatureCheck() : SignatureCheck::start(path);
    installedAgentRefusalLogged = false;
}

// The file carries the customer token.
constexpr mode_t ownerOnlyFile = 0600;

const QString checkFailedMessage =
    QStringLiteral("The Orvo Wendra service could not be reached or gave no usable answer. Check your internet "
                   "connection, then press Retry.");
const QString launchFailedMessage =
    QStringLiteral("The support app could not be started. Press Retry; if it happens again, tell your technician.");

// The progress window follows the download and answers its failure with Retry.
void watchAndStartDownload(OrvoDmgDownloader* downloader)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        progress->showPhase(JoinProgressWindow::Phase::Downloading);
        progress->watchDownload(
            downloader, [downloader] { return downloader->failureMessage(); },
            [] { OrvoAppUpgrader::getInstance()->retryAgentDownload(); });
    }
    downloader->startDownLoadingOrvoMacDmg();
}

// The installed agent's launch; the plugin quits once it has started, else the window offers Retry.
void launchInstalledAgent()
{
    JoinProgressWindow* progress = JoinProgressWindow::getInstance();
    if (progress) {
        progress->showPhase(JoinProgressWindow::Phase::StartingAgent);
    }
    const QString launchPath = Paths::appendingPathComponent(WorkingFolders::agentFolder(), QStringLiteral("Orvo.app"));
    // One that did not verify counts as not there: it is not launched.
    const bool launched = OrvoAppUpgrader::getInstance()->verifyInstalledAgent() &&
                          orvoDmgDownloader->workspaceLaunchApplication(launchPath);
    resetInstalledAgentCheck();
    if (!progress) {
        return;
    }
    if (launched) {
        progress->closeWindow();
    } else {
        progress->showFailure(launchFailedMessage, [] { launchInstalledAgent(); });
    }
}

} // namespace

OrvoAppUpgrader* OrvoAppUpgrader::getInstance()
{
    QMutexLocker locker(&classLock);
    if (!orvoAppUpgraderObj) {
        orvoAppUpgraderObj = new OrvoAppUpgrader;
        Log::write("%s : Update Info Object Allocated", "+[OrvoAppUpgrader getInstance]");
    }
    return orvoAppUpgraderObj;
}

void OrvoAppUpgrader::orvoAppVersionCheck()
{
    const char* fullName = "-[OrvoAppUpgrader orvoAppVersionCheck]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const QString path = Log::format("%@/Orvo.app", {WorkingFolders::agentFolder()});
        resetInstalledAgentCheck();
        if (FileManager::defaultManager().fileExists(path)) {
            // Hashing a large agent takes a while: it runs beside the join window, and Join waits for it.
            resetInstalledAgentCheck(path);
            const OptionalString version =
                Bundle::infoDictionaryText(path, QStringLiteral("CFBundleShortVersionString"));
            session->setLocalOrvoAppVersion(Log::format("%@", {version}));
            Log::write("%s local Orvo App version : %@ %@", fullName, Log::outsideValue(session->localOrvoAppVersion()),
                       path);
        } else {
            Log::write("%s : Orvo app not found, Setting app version to zero ( default) %@", fullName, path);
            session->setLocalOrvoAppVersion(QStringLiteral("0"));
        }
    });
}

bool OrvoAppUpgrader::verifyInstalledAgent()
{
    const char* fullName = "-[OrvoAppUpgrader verifyInstalledAgent]";
    bool verified = false;
    ExceptionGuard::run(fullName, [&] {
        if (!installedAgentCheck.isStarted()) {
            // Nothing was there at start-up, so the version is "0" already; one there now is checked all the same.
            const QString path = Log::format("%@/Orvo.app", {WorkingFolders::agentFolder()});
            if (!FileManager::defaultManager().fileExists(path)) {
                return;
            }
            resetInstalledAgentCheck(path);
        }
        const Result<> verdict = installedAgentCheck.verdict();
        verified = verdict.ok();
        if (!verified && !installedAgentRefusalLogged) {
            installedAgentRefusalLogged = true;
            SessionDetails::getInstance()->setLocalOrvoAppVersion(QStringLiteral("0"));
            Log::write("%s : Orvo app %@ not used, Setting app version to zero: %@", fullName,
                       installedAgentCheck.bundlePath(), Log::outsideText(verdict.error()));
        }
    });
    return verified;
}

void OrvoAppUpgrader::agentCheckThenUpdate()
{
    ExceptionGuard::run("-[OrvoAppUpgrader agentCheckThenUpdate]", [&] {
        JoinProgressWindow* progress = JoinProgressWindow::getInstance();
        if (progress) {
            progress->showPhase(JoinProgressWindow::Phase::CheckingService);
        }
        // The installed agent's version goes to the service only once that agent has verified.
        verifyInstalledAgent();
        // Without an answer the decision would take the installed-agent road whatever is installed.
        if (!ApiHandler::getInstance()->agentCheckUpdate() && progress) {
            progress->showFailure(checkFailedMessage, [this] { agentCheckThenUpdate(); });
            return;
        }
        orvoAppUpdater();
    });
}

void OrvoAppUpgrader::retryAgentDownload()
{
    ExceptionGuard::run("-[OrvoAppUpgrader retryAgentDownload]", [&] {
        if (orvoDmgDownloader) {
            orvoDmgDownloader->deleteLater();
        }
        orvoDmgDownloader = new OrvoDmgDownloader;
        watchAndStartDownload(orvoDmgDownloader);
    });
}

void OrvoAppUpgrader::orvoAppUpdater()
{
    const char* fullName = "-[OrvoAppUpgrader orvoAppUpdater]";
    ExceptionGuard::run(fullName, [&] {
        if (orvoDmgDownloader) {
            // Possibly still inside one of its own callbacks.
            orvoDmgDownloader->deleteLater();
        }
        orvoDmgDownloader = new OrvoDmgDownloader;
        if (!SessionDetails::getInstance()->isUpdateNeeded()) {
            Log::write("%s : This mac has latest Orvo App", fullName);
            modifyOrvoJoinDetails();
            launchInstalledAgent();
        } else {
            Log::write("%s : Updated Orvo App Version Available in Server..", fullName);
            // The installed agent stays until a verified successor is exchanged with it, so a failed or refused
            // download leaves it working; the next join checks it afresh.
            resetInstalledAgentCheck();
            modifyOrvoJoinDetails();
            // A part left by an earlier run may belong to another image; only a retry in this run resumes.
            OrvoDmgDownloader::removePartialImage();
            watchAndStartDownload(orvoDmgDownloader);
        }
    });
}

void OrvoAppUpgrader::modifyOrvoJoinDetails()
{
    const char* fullName = "-[OrvoAppUpgrader modifyOrvoJoinDetails]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : Modify joindetails called!", fullName);
        SessionDetails* session = SessionDetails::getInstance();
        FileManager& manager = FileManager::defaultManager();
        const QString path = WorkingFolders::agentFolder() + QStringLiteral("orvojoindetails.conf");
        const auto content = [&] {
            const OptionalString token = session->cxp_token();
            const QString parameters =
                token && !token->isEmpty()
                    ? Log::format("&key=%@&webServerName=%@&Cxp_token=%@&c_plugin=true&DC=%@&",
                                  {session->sessionKey(), session->webServerName(), token, session->dcName()})
                    : Log::format("&key=%@&webServerName=%@&c_plugin=true&DC=%@&",
                                  {session->sessionKey(), session->webServerName(), session->dcName()});
            Log::write("%s : Orvo Joindetails Content : Session key=%@ webServerName=%@ DC=%@", fullName,
                       Log::outsideValue(session->sessionKey()), Log::outsideValue(session->webServerName()),
                       Log::outsideValue(session->dcName()));
            return (QStringLiteral("ORVO_MEETING_IND\n") + parameters).toUtf8();
        };
        QByteArray data;
        if (manager.fileExists(path)) {
            Log::write("%s : orvojoindetails.conf file already Present in folder %@", fullName, path);
            data = content();
            if (!manager.removeItem(path)) {
                Log::write("%s : Unable to Remove old orvojoindetails.conf file by customer plugin in folder %@",
                           fullName, path);
                return;
            }
        } else {
            Log::write("%s : orvojoindetails.conf file Not Present in folder %@", fullName, path);
            data = content();
        }
        if (FileWriter::createFileAtPath(path, data, ownerOnlyFile)) {
            Log::write("%s : New orvojoindetails.conf file has been created by customer plugin in folder %@ ", fullName,
                       path);
        } else {
            Log::write("%s : Unable to create New orvojoindetails.conf file by customer plugin in folder %@", fullName,
                       path);
        }
    });
}

void OrvoAppUpgrader::cancelAgentDownload()
{
    if (orvoDmgDownloader) {
        orvoDmgDownloader->cancel();
    }
}
