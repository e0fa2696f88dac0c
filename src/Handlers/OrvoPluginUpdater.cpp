#include "Handlers/OrvoPluginUpdater.h"

#include "Handlers/AutomaticRetry.h"
#include "Handlers/DownloadFailureReport.h"
#include "Objects/SessionDetails.h"
#include "Objects/VersionNumber.h"
#include "Objects/WorkingFolders.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/DiskImage.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"
#include "Platform/Files/SiblingInstall.h"
#include "Platform/Files/SystemRoot.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"
#include "Platform/Signing/CodeSignature.h"

#include <QMutex>

using namespace std::chrono_literals;

namespace {

OrvoPluginUpdater* orvopluginObj = nullptr;
QMutex classLock;

constexpr auto downloadIdleTimeout = 240s;
constexpr mode_t ownerOnlyFolder = 0700;
// Far beyond any plugin image; a server sending more is flooding the disk.
constexpr qint64 maximumImageLength = qint64{1} << 30;

} // namespace

OrvoPluginUpdater::OrvoPluginUpdater() : m_retry(new AutomaticRetry(this))
{
    setMaximumLength(maximumImageLength);
}

OrvoPluginUpdater* OrvoPluginUpdater::getInstance()
{
    QMutexLocker locker(&classLock);
    if (!orvopluginObj) {
        orvopluginObj = new OrvoPluginUpdater;
        Log::write("%s : Update Info Object Allocated", "+[OrvoPluginUpdater getInstance]");
    }
    return orvopluginObj;
}

void OrvoPluginUpdater::cancelRunningDownload()
{
    // Not through getInstance: an updater that was never made has nothing to stop, and its line would be new.
    QMutexLocker locker(&classLock);
    if (orvopluginObj) {
        orvopluginObj->cancel();
    }
}

void OrvoPluginUpdater::checkOrvoPluginUpdate()
{
    const char* fullName = "-[OrvoPluginUpdater checkOrvoPluginUpdate]";
    ExceptionGuard::run(fullName, [&] {
        if (SessionDetails::getInstance()->cxPluginUpdateNeeded()) {
            downloadorvoPlugindmg();
        } else {
            Log::write("%s Orvo Wendra Customer Plugin has Latest Version.", fullName);
        }
    });
}

void OrvoPluginUpdater::downloadorvoPlugindmg()
{
    const char* fullName = "-[OrvoPluginUpdater downloadorvoPlugindmg]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        FileManager& manager = FileManager::defaultManager();
        const QString folder = WorkingFolders::stagingFolder();
        if (!manager.fileExists(folder)) {
            // Owner only, as start-up makes it: the folder also keeps the customer token's info file.
            // A folder that cannot be made fails the download, which says so.
            static_cast<void>(manager.createDirectory(folder, true, ownerOnlyFolder));
        }
        // Presence alone decides: an empty answer is used as it came, and fails as a download.
        const OptionalString answered = session->cxPluginDownloadUrl();
        const QString text = answered ? Log::format("%@", {answered})
                                      : Log::format("https://%@/agent/OrvoPlugin.dmg", {session->webServerName()});
        const std::optional<QUrl> url = UrlText::urlWithString(text);
        Log::write("%s : OrvoPlugin Dmg Url : %@", fullName, UrlText::forLog(url));
        UrlRequest request(url, 0, downloadIdleTimeout);
        request.setHttpMethod(QStringLiteral("GET"));
        const Result<> made = initWithRequest(request, this);
        const QString destination = Paths::appendingPathComponent(folder, QStringLiteral("OrvoPlugin.dmg//"));
        if (!made) {
            Log::write("%s : Download failed", fullName);
        } else {
            // Only a download this call made is pointed at the file; an earlier one keeps writing undisturbed.
            setDestination(destination, true);
        }
        Log::write("%s destination path : %@", fullName, destination);
    });
}

void OrvoPluginUpdater::downloadDidBegin(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoPluginUpdater downloadDidBegin:]";
    ExceptionGuard::run(fullName, [&] { Log::write("%s : downloadDidstarted", fullName); });
}

void OrvoPluginUpdater::downloadDidFail(UrlDownload* /*download*/, const UrlError& error)
{
    const char* fullName = "-[OrvoPluginUpdater download:didFailWithError:]";
    ExceptionGuard::run(fullName, [&] {
        // Quietly, as the customer waits for none of it: no window shows the waits.
        if (m_retry->schedule(fullName, error, [this, fullName] {
                if (Result<> again = this->retry(); !again) {
                    Log::write("%s : Download failed : %@", fullName, again.error());
                }
            })) {
            DownloadFailureReport::log(fullName, error);
            return;
        }
        DownloadFailureReport::post(fullName, error, this);
    });
}

void OrvoPluginUpdater::downloadDidFinish(UrlDownload* /*download*/)
{
    const char* fullName = "-[OrvoPluginUpdater downloadDidFinish:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : downloadDidFinish", fullName);
        Log::write("%s : served by %@", fullName, Log::outsideText(effectiveUrl().host()));
        mountingOrvoPluginDmg();
    });
}

void OrvoPluginUpdater::mountingOrvoPluginDmg()
{
    const char* fullName = "-[OrvoPluginUpdater mountingOrvoPluginDmg]";
    ExceptionGuard::run(fullName, [&] {
        const QString image = WorkingFolders::stagingFolder() + QStringLiteral("OrvoPlugin.dmg");
        // Whatever is at the mount point is staged from, so it must be this image's volume and no other.
        if (!DiskImage::clearMountPoint(WorkingFolders::pluginVolume())) {
            Log::write("%s : %@ is still attached from an earlier run; nothing staged", fullName,
                       WorkingFolders::pluginVolume());
            removeImage();
            return;
        }
        MountedVolume volume = DiskImage::attach(image, WorkingFolders::pluginVolume());
        Log::write("%s : dmg mount task termination status : %d", fullName, volume.status());
        if (!volume.isAttached()) {
            Log::write("%s : The image was not attached; nothing staged from %@", fullName,
                       WorkingFolders::pluginVolume());
            removeImage();
            return;
        }
        // copyAppFile detaches it by its mount point, with its line, as when it runs on its own.
        volume.release();
        copyAppFile();
    });
}

void OrvoPluginUpdater::copyAppFile()
{
    const char* fullName = "-[OrvoPluginUpdater copyAppFile]";
    ExceptionGuard::run(fullName, [&] {
        FileManager& manager = FileManager::defaultManager();
        const QString folder = WorkingFolders::stagingFolder();
        const QString staged = Log::format("%@Orvo Wendra Customer Plugin.app", {folder});
        // Both the removal and the staging are single renames: a replacement at exit by another instance never
        // copies a half-removed or half-staged bundle.
        if (manager.fileExists(staged)) {
            // One that stays keeps its place: the install below cannot rename over a folder.
            if (SiblingInstall::remove(staged)) {
                Log::write("%s : Existing Updated Orvo Plugin Removed in folder %@", fullName, folder);
            }
        } else {
            Log::write("%s : No Existing Updated Orvo Plugin Present in folder %@", fullName, folder);
        }
        const QString source =
            SystemRoot::path(WorkingFolders::pluginVolume() + QStringLiteral("/Orvo Wendra Customer Plugin.app"));
        // Names, kinds and sizes first, on the volume: an unlisted or grown file is refused before anything is copied.
        SiblingInstall::Installation result{SiblingInstall::Outcome::Refused, QString()};
        if (Result<> shaped = CodeSignature::verifyShape(source); !shaped.ok()) {
            result.reason = shaped.error();
        } else {
            result = SiblingInstall::install(
                source, Paths::appendingPathComponent(folder, QStringLiteral("/Orvo Wendra Customer Plugin.app")),
                [](const QString& copy) { return verifyForStaging(copy); });
        }
        if (result.outcome == SiblingInstall::Outcome::Installed) {
            SessionDetails::getInstance()->setIsAppReplaceFlag(true);
            Log::write("%s : Orvo Wendra Customer Plugin.app file copied to  OrvoCustomerPluginNative folder",
                       fullName);
        } else if (result.outcome == SiblingInstall::Outcome::Refused) {
            Log::write("%s : Orvo Wendra Customer Plugin.app not staged: %@", fullName,
                       Log::outsideText(result.reason));
        }
        unMountingOrvoPluginDmg();
        removeImage();
    });
}

Result<> OrvoPluginUpdater::verifyForStaging(const QString& bundle)
{
    if (Result<> verified = CodeSignature::verifyBundle(bundle); !verified.ok()) {
        return verified;
    }
    // Never older, nor the same again: an offer of either would only take the plugin back or nowhere.
    const OptionalString offered = Bundle::infoDictionaryText(bundle, QStringLiteral("CFBundleShortVersionString"));
    const OptionalString running = SessionDetails::getInstance()->localOrvoPluginAppVersion();
    if (!VersionNumber::isNewer(offered.value_or(QString()), running.value_or(QString()))) {
        return Failure{Log::format("its version %@ is not newer than the running %@", {offered, running})};
    }
    return {};
}

void OrvoPluginUpdater::removeImage()
{
    // Best effort: an image left behind is overwritten by the next download.
    static_cast<void>(DiskImage::remove(Log::format("%@OrvoPlugin.dmg", {WorkingFolders::stagingFolder()})));
}

void OrvoPluginUpdater::unMountingOrvoPluginDmg()
{
    const char* fullName = "-[OrvoPluginUpdater unMountingOrvoPluginDmg]";
    ExceptionGuard::run(fullName, [&] {
        const int status = DiskImage::detach(WorkingFolders::pluginVolume());
        Log::write("%s : Dmg unmount task termination status : %d", fullName, status);
    });
}
