#include "Handlers/OrvoAppUpgrader.h"

#include "Handlers/ApiHandler.h"
#include "Handlers/AutomaticRetry.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Handlers/TranslatedText.h"
#include "Objects/SessionDetails.h"
#include "Objects/WorkingFolders.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/FileWriter.h"
#include "Platform/Files/Paths.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/CurlTransfer.h"
#include "Platform/Net/UrlText.h"
#include "Platform/Signing/SignatureCheck.h"

#include <QCoreApplication>
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

const TranslatedText checkFailedMessage{
    "OrvoAppUpgrader",
    QT_TRANSLATE_NOOP("OrvoAppUpgrader", "The Orvo Wendra service could not be reached or gave no usable answer. Check "
                                         "your internet connection, then press Retry.")};
const TranslatedText launchFailedMessage{
    "OrvoAppUpgrader", QT_TRANSLATE_NOOP("OrvoAppUpgrader", "The support app could not be started. Press Retry; if it "
                                                            "happens again, tell your technician.")};

// The waits before the next attempt show in the progress window, whose Retry ends them at once.
AutomaticRetry* shownRetry()
{
    auto* retry = new AutomaticRetry(QCoreApplication::instance());
    retry->onCountdown([retry](int secondsLeft) {
        if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
            progress->showRetryWait(secondsLeft, [retry] { retry->attemptNow(); });
        }
    });
    return retry;
}

AutomaticRetry* checkRetry()
{
    static AutomaticRetry* retry = shownRetry();
    return retry;
}

AutomaticRetry* downloadRetry()
{
    static AutomaticRetry* retry = shownRetry();
    return retry;
}

// Whether the download under way comes from the agent check's fallback location.
bool fromFallback = false;

// The progress window follows the download and answers its failure with Retry. A download that follows an automatic
// wait keeps the bar as it was.
void watchAndStartDownload(OrvoDmgDownloader* downloader, bool afterWait = false)
{
    if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
        if (afterWait) {
            progress->endRetryWait();
        } else {
            progress->showPhase(JoinProgressWindow::Phase::Downloading);
        }
        progress->watchDownload(
            downloader, [downloader] { return downloader->failureMessage(); },
            [] { OrvoAppUpgrader::getInstance()->retryAgentDownload(); });
    }
    downloader->startDownLoadingOrvoMacDmg(fromFallback);
}

// A fresh downloader for the next attempt; the one before may still be inside its own callbacks.
OrvoDmgDownloader* replaceDownloader()
{
    if (orvoDmgDownloader) {
        orvoDmgDownloader->deleteLater();
    }
    orvoDmgDownloader = new OrvoDmgDownloader;
    return orvoDmgDownloader;
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
    checkRetry()->reset();
    attemptAgentCheck();
}

void OrvoAppUpgrader::attemptAgentCheck()
{
    const char* fullName = "-[OrvoAppUpgrader agentCheckThenUpdate]";
    ExceptionGuard::run(fullName, [&] {
        JoinProgressWindow* progress = JoinProgressWindow::getInstance();
        if (progress) {
            progress->showPhase(JoinProgressWindow::Phase::CheckingService);
        }
        // The installed agent's version goes to the service only once that agent has verified.
        verifyInstalledAgent();
        const CheckOutcome outcome = ApiHandler::getInstance()->agentCheckUpdate();
        if (outcome) {
            checkRetry()->reset();
            orvoAppUpdater();
            return;
        }
        if (outcome.error && checkRetry()->schedule(fullName, *outcome.error, [this] { attemptAgentCheck(); })) {
            return;
        }
        // The check only decides whether a newer agent must be fetched first: one installed that verified can still
        // take the session.
        if (verifyInstalledAgent()) {
            Log::write("%s : No usable answer from the service; the installed Orvo App is launched", fullName);
            SessionDetails::getInstance()->setIsUpdateNeeded(false);
            orvoAppUpdater();
            return;
        }
        if (progress) {
            const QString proxy = outcome.error ? outcome.error->refusingProxy : QString();
            progress->showFailure(proxy.isEmpty() ? checkFailedMessage : OrvoDmgDownloader::proxyRefusedMessage(proxy),
                                  [this] { agentCheckThenUpdate(); });
        }
    });
}

void OrvoAppUpgrader::retryAgentDownload()
{
    ExceptionGuard::run("-[OrvoAppUpgrader retryAgentDownload]", [&] {
        downloadRetry()->reset();
        if (fromFallback) {
            // The part came from the other location, which may hold another build.
            fromFallback = false;
            OrvoDmgDownloader::removePartialImage();
        }
        watchAndStartDownload(replaceDownloader());
    });
}

bool OrvoAppUpgrader::continueAgentDownload(const UrlError& error)
{
    const char* fullName = "-[OrvoAppUpgrader continueAgentDownload:]";
    bool continues = false;
    ExceptionGuard::run(fullName, [&] {
        if (downloadRetry()->schedule(fullName, error,
                                      [] { watchAndStartDownload(replaceDownloader(), /*afterWait=*/true); })) {
            continues = true;
            return;
        }
        // A full disk is not helped by another source.
        const bool diskFault = error.code == UrlErrorCode::CannotCreateFile ||
                               error.code == UrlErrorCode::CannotWriteToFile ||
                               error.code == UrlErrorCode::CannotMoveFile;
        const OptionalString fallback = SessionDetails::getInstance()->fallbackUrl();
        if (fromFallback || diskFault || !fallback || fallback->isEmpty()) {
            return;
        }
        const std::optional<QUrl> url = UrlText::urlWithString(*fallback);
        if (!CurlTransfer::fetches(url)) {
            Log::write("%s : fallback_url is not an https location, not used : %@", fullName, UrlText::forLog(url));
            return;
        }
        Log::write("%s : download_url failed, trying fallback_url", fullName);
        fromFallback = true;
        // What the first location sent may be another build than the fallback's.
        OrvoDmgDownloader::removePartialImage();
        watchAndStartDownload(replaceDownloader(), /*afterWait=*/true);
        continues = true;
    });
    return continues;
}

bool OrvoAppUpgrader::downloadsFromFallback()
{
    return fromFallback;
}

void OrvoAppUpgrader::orvoAppUpdater()
{
    const char* fullName = "-[OrvoAppUpgrader orvoAppUpdater]";
    ExceptionGuard::run(fullName, [&] {
        replaceDownloader();
        downloadRetry()->reset();
        fromFallback = false;
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
