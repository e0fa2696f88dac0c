#pragma once

#include "Platform/App/ApplicationDelegate.h"

#include <QString>
#include <QStringList>

class QTimer;

// Drives the plugin's life from start to exit: log file, working folders, launch arguments, the start-up checks,
// and the answer to the quit notification. Its state lives in file-level variables of its source file.
class AppDelegate : public ApplicationDelegate
{
public:
    void awakeFromNib() override;
    // Log folder, first check, timer, then the session record's defaults.
    void createOrvoPluginLogFolder();
    // The session record's start-up defaults.
    void setDefaultValues();
    // The repeating 0.1 s log check.
    void startLoggingTimer();
    // One log check: redirect the standard streams, and rotate the live file once it is past 256 KiB.
    void loggingFile(QTimer* timer);
    void createOrvoMeetingNativeFolder();
    void createOrvoCustomerPluginNativeFolder();

    void applicationWillFinishLaunching() override;
    // Launch arguments, the installer's info file, and its copy into the staging folder on an installer start.
    void parseCommandLineArgs();
    // Copies the three settings of the info file at path into the session record.
    void readInfoFileArgs(const QString& path);
    // Copies the installer's info file to "info.plist" in the staging folder, replacing an older copy.
    void copyInfoFile();
    void addObservers();

    void applicationDidFinishLaunching() override;
    // A second start: its windows come to the front, and an installer's info file is copied as at an installer start.
    void applicationDidReceiveAnotherStart(const QStringList& arguments) override;
    void findCurrentAppPath();
    void getorvoPluginAppVersion();

    // Answer to "OrvoPluginTerminate".
    void terminateapp();
    void removeObservers();
    void applicationWillTerminate() override;

private:
    void checkInstalledAgentVersion();
    void showJoinWindow();
    // The first step of applicationWillTerminate: a bundle staged during this run takes the running one's place.
    void replaceStagedPlugin();
};
