#include "Handlers/OrvoAppUpgrader.h"

#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Objects/WorkingFolders.h"
#include "Platform/Bundle.h"
#include "Platform/ExceptionGuard.h"
#include "Platform/FileManager.h"
#include "Platform/FileWriter.h"
#include "Platform/Log.h"
#include "Platform/Paths.h"

#include <QMutex>

namespace {

OrvoAppUpgrader* orvoAppUpgraderObj = nullptr;
// The downloader of the latest decision; holding it keeps its download running.
OrvoDmgDownloader* orvoDmgDownloader = nullptr;
QMutex classLock;

// The file carries the customer token.
constexpr mode_t ownerOnlyFile = 0600;

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
        if (FileManager::defaultManager().fileExists(path)) {
            const OptionalString version =
                Bundle::infoDictionaryText(path, QStringLiteral("CFBundleShortVersionString"));
            session->setLocalOrvoAppVersion(Log::format("%@", {version}));
            Log::write("%s local Orvo App version : %@ %@", fullName, session->localOrvoAppVersion(), path);
        } else {
            Log::write("%s : Orvo app not found, Setting app version to zero ( default) %@", fullName, path);
            session->setLocalOrvoAppVersion(QStringLiteral("0"));
        }
    });
}

void OrvoAppUpgrader::orvoAppUpdater()
{
    const char* fullName = "-[OrvoAppUpgrader orvoAppUpdater]";
    ExceptionGuard::run(fullName, [&] {
        // The installed agent, as every other step names it: a differently cased name would miss it on a
        // case-sensitive file system and leave the old agent to block the install.
        const QString removalPath = Log::format("%@/Orvo.app", {WorkingFolders::agentFolder()});
        if (orvoDmgDownloader) {
            // Possibly still inside one of its own callbacks.
            orvoDmgDownloader->deleteLater();
        }
        orvoDmgDownloader = new OrvoDmgDownloader;
        if (!SessionDetails::getInstance()->isUpdateNeeded()) {
            Log::write("%s : This mac has latest Orvo App", fullName);
            modifyOrvoJoinDetails();
            const QString launchPath =
                Paths::appendingPathComponent(WorkingFolders::agentFolder(), QStringLiteral("Orvo.app"));
            orvoDmgDownloader->workspaceLaunchApplication(launchPath);
            if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
                progress->closeWindow();
            }
        } else {
            Log::write("%s : Updated Orvo App Version Available in Server..", fullName);
            FileManager& manager = FileManager::defaultManager();
            if (manager.fileExists(removalPath)) {
                manager.removeItem(removalPath);
            }
            modifyOrvoJoinDetails();
            orvoDmgDownloader->startDownLoadingOrvoMacDmg();
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
                       session->sessionKey(), session->webServerName(), session->dcName());
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
