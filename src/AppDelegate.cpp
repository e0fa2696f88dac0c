#include "AppDelegate.h"

#include "Handlers/ApiHandler.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Handlers/OrvoPluginUpdater.h"
#include "Handlers/OrvoPluginWindowHandler.h"
#include "Objects/SessionDetails.h"
#include "Objects/VersionNumber.h"
#include "Objects/WorkingFolders.h"
#include "Platform/App/Application.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/ProcessInfo.h"
#include "Platform/App/Window.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/BundleReplacer.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Files/Paths.h"
#include "Platform/Files/PropertyList.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Log/StandardStreams.h"
#include "Platform/Signing/CodeSignature.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

qint32 logFileNameCount = 0;
QString orvoPluginLogFolder;
FileManager* orvoDirectoryManager = nullptr;
QTimer* loggingTimer = nullptr;
QString orvoCustomerPluginNativeFolder;
// Keeps the join window alive for the whole run.
OrvoPluginWindowHandler* orvoPluginWindow = nullptr;

constexpr quint64 logRotationThreshold = 262144;
constexpr qint32 highestLogFileNumber = 10;
// The working folders and the log hold the customer token.
constexpr mode_t ownerOnlyFolder = 0700;
constexpr mode_t ownerOnlyFile = 0600;

const QString terminateNotification = QStringLiteral("OrvoPluginTerminate");
const QString installerArgument = QStringLiteral("Installer-Plugin");
const QString infoFileName = QStringLiteral("com.orvo.wendra.MacPlugin.plist");
const QString infoCopyName = QStringLiteral("info.plist");

// Succeeds when the bundle at candidate names itself as the one at running does; otherwise says why not.
Result<> sameIdentity(const QString& candidate, const QString& running)
{
    const QString key = QStringLiteral("CFBundleIdentifier");
    const OptionalString theirs = Bundle::infoDictionaryText(candidate, key);
    const OptionalString ours = Bundle::infoDictionaryText(running, key);
    if (!ours || ours->isEmpty() || theirs != ours) {
        return Failure{Log::format("the staged bundle is %@, the running one %@", {theirs, ours})};
    }
    return {};
}

// The info file of an installer start: element 1 names a path inside the folder that holds it.
QString installerInfoPath(const QStringList& arguments)
{
    const QString folder = Paths::deletingLastPathComponent(arguments.value(1));
    const QString infoPath = folder + QLatin1Char('/') + infoFileName;
    if (!FileManager::defaultManager().fileExists(infoPath)) {
        return folder + QLatin1Char('/') + infoCopyName;
    }
    return infoPath;
}

QString emptyText()
{
    return QString(QLatin1String(""));
}

void createWorkingFolder(const char* fullName, const QString& path, const char* present, const char* created,
                         const char* failed)
{
    FileManager& manager = FileManager::defaultManager();
    if (manager.fileExists(path)) {
        Log::write(present, fullName);
    } else if (manager.createDirectory(path, true, ownerOnlyFolder)) {
        Log::write(created, fullName);
    } else {
        Log::write(failed, fullName);
    }
}

} // namespace

void AppDelegate::awakeFromNib()
{
    const char* fullName = "-[AppDelegate awakeFromNib]";
    createOrvoPluginLogFolder();
    Log::write("%s : ********************************************************* \n", fullName);
    Log::write("%s : ************************** OrvoPlugin App Started ******* \n", fullName);
    Log::write("%s : ********************************************************* \n", fullName);
    createOrvoMeetingNativeFolder();
    createOrvoCustomerPluginNativeFolder();
}

void AppDelegate::createOrvoPluginLogFolder()
{
    const char* fullName = "-[AppDelegate createOrvoPluginLogFolder]";
    ExceptionGuard::run(fullName, [&] {
        // Joined as plain text, as the log folder always has been; the doubled separator reads as one.
        orvoPluginLogFolder =
            Paths::userLibraryDirectory() + QStringLiteral("/Logs/") + QStringLiteral("/OrvoWendra/OrvoPlugin/");
        orvoDirectoryManager = &FileManager::defaultManager();
        if (orvoDirectoryManager->createDirectory(orvoPluginLogFolder, true, ownerOnlyFolder)) {
            Log::write("%s Orvo Plugin Log Folder Created...", fullName);
        } else {
            Log::write("%s Failed to Create Orvo Plugin Log Folder...", fullName);
        }
        loggingFile(loggingTimer);
        startLoggingTimer();
        setDefaultValues();
    });
}

void AppDelegate::setDefaultValues()
{
    ExceptionGuard::run("-[AppDelegate setDefaultValues]", [] {
        SessionDetails* session = SessionDetails::getInstance();
        session->setWebServerName(emptyText());
        session->setCxp_token(emptyText());
        session->setDcName(emptyText());
        session->setInfoPlistPath(emptyText());
        session->setPluginAppPath(emptyText());
        session->setLocalOrvoPluginAppVersion(emptyText());
        session->setPlistWebServerName(emptyText());
        session->setPlistDcName(emptyText());
        session->setIsAppReplaceFlag(false);
        session->setCxPluginUpdateNeeded(false);
    });
}

void AppDelegate::startLoggingTimer()
{
    // An earlier timer is replaced, not stopped: the check is harmless to run twice.
    loggingTimer = new QTimer(QCoreApplication::instance());
    loggingTimer->setInterval(100);
    QTimer* timer = loggingTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer] { loggingFile(timer); });
    timer->start();
}

void AppDelegate::loggingFile(QTimer* /*timer*/)
{
    ExceptionGuard::run("-[AppDelegate loggingFile:]", [] {
        FileManager& manager = FileManager::defaultManager();
        const QString liveFile = Paths::appendingPathComponent(orvoPluginLogFolder, QStringLiteral("orvoPlugin.log"));
        // Not logged: the streams are the log. They stay where they were, and the next check tries again.
        static_cast<void>(StandardStreams::redirectTo(liveFile));
        if (manager.fileSize(liveFile) <= logRotationThreshold) {
            return;
        }
        const auto numbered = [](qint32 i) {
            return Paths::appendingPathComponent(orvoPluginLogFolder, QStringLiteral("orvoPlugin%1.log").arg(i));
        };
        for (qint32 i = logFileNameCount; i >= 0; --i) {
            const QString destination = numbered(i);
            const QString source = i == 0 ? liveFile : numbered(i - 1);
            // Best effort all through: a rotation step that fails loses an old log, never the live one.
            if (manager.fileExists(destination)) {
                static_cast<void>(manager.removeItem(destination));
            }
            static_cast<void>(manager.copyItem(source, destination));
        }
        if (logFileNameCount != highestLogFileNumber) {
            ++logFileNameCount;
        }
        // A live log that cannot be emptied goes on growing until the next start rotates it.
        static_cast<void>(manager.truncateFile(liveFile));
    });
}

void AppDelegate::createOrvoMeetingNativeFolder()
{
    const char* fullName = "-[AppDelegate createOrvoMeetingNativeFolder]";
    ExceptionGuard::run(fullName, [&] {
        createWorkingFolder(fullName, WorkingFolders::agentFolder(), "%s Orvo Meeting Native folder Already Present",
                            "%s Orvo Meeting Native Folder Created...",
                            "%s Failed to Create Orvo Meeting Native Folder...");
        // What a run cut short by a kill left in the folder: its temporary files, and the part of the agent image
        // kept for a Retry that will not come now.
        HiddenSiblings::clearAllLeftoversIn(WorkingFolders::agentFolder(),
                                            [] { OrvoDmgDownloader::removePartialImage(); });
    });
}

void AppDelegate::createOrvoCustomerPluginNativeFolder()
{
    const char* fullName = "-[AppDelegate createOrvoCustomerPluginNativeFolder]";
    ExceptionGuard::run(fullName, [&] {
        orvoCustomerPluginNativeFolder = WorkingFolders::stagingFolder();
        createWorkingFolder(fullName, orvoCustomerPluginNativeFolder,
                            "%s Orvo Customer Plugin Native folder Already Present",
                            "%s Orvo Customer Plugin Native Folder Created...",
                            "%s Failed to Create Orvo Customer Plugin Native Folder...");
        HiddenSiblings::clearAllLeftoversIn(orvoCustomerPluginNativeFolder);
    });
}

void AppDelegate::applicationWillFinishLaunching()
{
    parseCommandLineArgs();
    findCurrentAppPath();
    addObservers();
    getorvoPluginAppVersion();
}

void AppDelegate::parseCommandLineArgs()
{
    const char* fullName = "-[AppDelegate parseCommandLineArgs]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const QStringList arguments = ProcessInfo::arguments();
        Log::write("%s : Command line aruguments : %@", fullName, arguments);
        if (!arguments.contains(installerArgument)) {
            Log::write("%s ******* Orvo Wendra Customer Plugin App Invoked By User.", fullName);
            orvoCustomerPluginNativeFolder = WorkingFolders::stagingFolder();
            QString infoPath = orvoCustomerPluginNativeFolder + infoFileName;
            if (!FileManager::defaultManager().fileExists(infoPath)) {
                infoPath = orvoCustomerPluginNativeFolder + infoCopyName;
            }
            Log::write("%s : Info plist Filepath :  %@", fullName, infoPath);
            readInfoFileArgs(infoPath);
        } else {
            Log::write("%s ******* Orvo Wendra Customer Plugin App Invoked By Orvo Plugin Installer.", fullName);
            const QString infoPath = installerInfoPath(arguments);
            session->setInfoPlistPath(infoPath);
            Log::write("%s : Info plist Filepath :  %@", fullName, Log::outsideValue(session->infoPlistPath()));
            readInfoFileArgs(infoPath);
            copyInfoFile();
        }
        Log::write("%s : Arguments Readed From Server => Websername : %@ , Cxp_Token : %@  , DC = %@", fullName,
                   Log::outsideValue(session->webServerName()), Log::outsideValue(session->cxp_token()),
                   Log::outsideValue(session->dcName()));
    });
}

void AppDelegate::readInfoFileArgs(const QString& path)
{
    const char* fullName = "-[AppDelegate readInfoFileArgs:]";
    ExceptionGuard::run(fullName, [&] {
        if (!FileManager::defaultManager().fileExists(path)) {
            Log::write("%s ******** info.plist Not Present file at path :%@", fullName, path);
            return;
        }
        const auto info = PropertyList::dictionaryWithContentsOfFile(path);
        if (!info) {
            Log::write("%s Failed to read the info.plist file at path :%@", fullName, path);
            return;
        }
        // A value that is not text would break every later use of the setting; it counts as missing.
        const auto text = [&](const QString& key) -> OptionalString {
            const auto it = info->constFind(key);
            if (it == info->constEnd()) {
                return std::nullopt;
            }
            if (it->typeId() != QMetaType::QString) {
                Log::write("%s Ignoring the value of %@ in the info.plist file: it is not text", fullName, key);
                return std::nullopt;
            }
            return it->toString();
        };
        SessionDetails* session = SessionDetails::getInstance();
        if (const OptionalString server = text(QStringLiteral("WebServer"))) {
            session->setWebServerName(server);
            session->setPlistWebServerName(server);
        }
        if (const OptionalString token = text(QStringLiteral("cxp_token"))) {
            session->setCxp_token(token);
        }
        if (const OptionalString dc = text(QStringLiteral("DC"))) {
            session->setDcName(dc);
            session->setPlistDcName(dc);
        }
    });
}

void AppDelegate::copyInfoFile()
{
    const char* fullName = "-[AppDelegate copyInfoFile]";
    ExceptionGuard::run(fullName, [&] {
        orvoCustomerPluginNativeFolder = WorkingFolders::stagingFolder();
        orvoDirectoryManager = &FileManager::defaultManager();
        if (!orvoDirectoryManager->fileExists(orvoCustomerPluginNativeFolder)) {
            return;
        }
        const OptionalString source = SessionDetails::getInstance()->infoPlistPath();
        if (!source || !orvoDirectoryManager->fileExists(*source)) {
            Log::write("%s PluginInfo file does not exist at path : %@", fullName, source);
            return;
        }
        const QString destination = orvoCustomerPluginNativeFolder + infoCopyName;
        // A second installer start must win over the copy an earlier one left, so the copy replaces it whole.
        if (const Result<> copied = orvoDirectoryManager->replaceItemWithCopy(*source, destination, ownerOnlyFile)) {
            Log::write("%s PluginInfo File copied successfully to folder : %@", fullName, destination);
        } else {
            Log::write("%s Error copying file: %@", fullName, copied.error());
        }
    });
}

void AppDelegate::addObservers()
{
    NotificationCenter::defaultCenter().addObserver(this, terminateNotification, nullptr,
                                                    [this](const Notification&) { terminateapp(); });
}

void AppDelegate::applicationDidFinishLaunching()
{
    SessionDetails::getInstance()->setIsAppReplaceFlag(false);
    checkInstalledAgentVersion();
    ApiHandler::getInstance()->pluginUpdateCheckApi();
    showJoinWindow();
}

void AppDelegate::applicationDidReceiveAnotherStart(const QStringList& arguments)
{
    const char* fullName = "-[AppDelegate applicationDidReceiveAnotherStart:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : Another start handed over its arguments : %@", fullName, arguments);
        Window::orderFrontShownWindows();
        // The running session keeps its settings; the copy is what the next start reads.
        if (arguments.contains(installerArgument)) {
            SessionDetails::getInstance()->setInfoPlistPath(installerInfoPath(arguments));
            copyInfoFile();
        }
    });
}

void AppDelegate::findCurrentAppPath()
{
    const char* fullName = "-[AppDelegate findCurrentAppPath]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails::getInstance()->setPluginAppPath(Bundle::mainBundlePath());
        Log::write("%s Orvo Customer Plugin App path : %@", fullName, SessionDetails::getInstance()->pluginAppPath());
    });
}

void AppDelegate::getorvoPluginAppVersion()
{
    const char* fullName = "-[AppDelegate getorvoPluginAppVersion]";
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const OptionalString appPath = session->pluginAppPath();
        if (appPath && FileManager::defaultManager().fileExists(*appPath)) {
            session->setLocalOrvoPluginAppVersion(
                Bundle::infoDictionaryText(*appPath, QStringLiteral("CFBundleShortVersionString")));
            Log::write("%s local Orvo Wendra Customer Plugin App version : %@", fullName,
                       session->localOrvoPluginAppVersion());
        } else {
            Log::write("%s : Orvo Wendra Customer Plugin app not found, Setting app version to zero ( default)",
                       fullName);
            session->setLocalOrvoPluginAppVersion(QStringLiteral("0"));
        }
    });
}

void AppDelegate::terminateapp()
{
    ExceptionGuard::run("-[AppDelegate terminateapp:]", [this] {
        removeObservers();
        Application::terminate();
    });
}

void AppDelegate::removeObservers()
{
    NotificationCenter::defaultCenter().removeObserver(this, terminateNotification, nullptr);
}

void AppDelegate::applicationWillTerminate()
{
    const char* fullName = "-[AppDelegate applicationWillTerminate:]";
    ExceptionGuard::run(fullName, [&] {
        // Downloads under way take their temporary files with them.
        OrvoAppUpgrader::cancelAgentDownload();
        OrvoPluginUpdater::cancelRunningDownload();
        // A part kept for a Retry that will not come now.
        OrvoDmgDownloader::removePartialImage();
        replaceStagedPlugin();
        Log::write("%s : ************************** OrvoPlugin App terminated ******* \n\n", fullName);
    });
}

void AppDelegate::checkInstalledAgentVersion()
{
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
}

void AppDelegate::showJoinWindow()
{
    orvoPluginWindow = new OrvoPluginWindowHandler;
    // The delegate is no object of the toolkit; the sender is not looked at.
    orvoPluginWindow->showWindow(nullptr);
}

void AppDelegate::replaceStagedPlugin()
{
    // Part of applicationWillTerminate:, whose name its lines carry and whose guard it shares.
    const char* fullName = "-[AppDelegate applicationWillTerminate:]";
    SessionDetails* session = SessionDetails::getInstance();
    if (!session->isAppReplaceFlag()) {
        Log::write("%s There is No Updated App downloaded from server.", fullName);
        return;
    }
    Log::write("%s Updated Customer Plugin Downloaded from server and Initiate to Copy ", fullName);
    orvoCustomerPluginNativeFolder = WorkingFolders::stagingFolder();
    const QString stagedBundle = Paths::appendingPathComponent(orvoCustomerPluginNativeFolder,
                                                               QStringLiteral("/Orvo Wendra Customer Plugin.app"));
    const OptionalString appPath = session->pluginAppPath();
    if (!FileManager::defaultManager().fileExists(stagedBundle)) {
        Log::write("%s There is No Updated Plugin App Present in %@", fullName, orvoCustomerPluginNativeFolder);
        return;
    }
    // Only a program that is its bundle's own executable replaces that bundle, and only with one of the same
    // identity: anything else would swap out a folder that is not the plugin's.
    const QString running = appPath.value_or(QString());
    Result<> fit = Bundle::verifyMainExecutable(running);
    if (fit) {
        fit = sameIdentity(stagedBundle, running);
    }
    if (!fit) {
        Log::write("%s Not replacing %@: %@", fullName, running, Log::outsideText(fit.error()));
        return;
    }
    // Swapped in whole rather than removed and copied: a failed copy or a kill must never leave no plugin at all.
    // The copy that goes in place is verified, not the staged bundle, which may change meanwhile.
    const auto verified = [&running](const QString& copy) -> Result<> {
        if (Result<> verified = CodeSignature::verifyBundle(copy); !verified.ok()) {
            return verified;
        }
        if (Result<> same = sameIdentity(copy, running); !same.ok()) {
            return same;
        }
        // Never back: an older instance sharing the staging folder may have staged what it took for an update.
        const QString key = QStringLiteral("CFBundleShortVersionString");
        const OptionalString offered = Bundle::infoDictionaryText(copy, key);
        const OptionalString current = Bundle::infoDictionaryText(running, key);
        if (!VersionNumber::isNewer(offered.value_or(QString()), current.value_or(QString()))) {
            return Failure{Log::format("its version %@ is not newer than the running %@", {offered, current})};
        }
        return {};
    };
    const BundleReplacer::Replacement replacement = BundleReplacer::replace(stagedBundle, running, verified);
    switch (replacement.outcome) {
    case BundleReplacer::Outcome::Replaced:
        Log::write("%s Updated Customer Plugin app Copied to %@", fullName, appPath);
        break;
    case BundleReplacer::Outcome::OldNotRemovable:
        Log::write("%s Failed to Remove Existing old Customer plugin app (%@) in folder %@", fullName,
                   session->localOrvoPluginAppVersion(), appPath);
        break;
    case BundleReplacer::Outcome::CopyFailed:
        Log::write("%s Failed to copy Updated Customer plugin app to folder %@", fullName, appPath);
        break;
    case BundleReplacer::Outcome::Refused:
        Log::write("%s Not replacing %@: %@", fullName, running, Log::outsideText(replacement.reason));
        break;
    }
}
