#pragma once

#include <QString>

// Where the plugin keeps its things: the agent folder, the staging folder and the two mount points, each formed
// here only, so that the install, the checks and the clean-up cannot disagree about them.
class WorkingFolders
{
public:
    // Home + "/Library/Application Support/OrvoMeetingNative/": the agent, its tools, the join details.
    static QString agentFolder();
    // Home + "/Library/Application Support/OrvoCustomerPluginNativeFolder/": the info file and a staged plugin.
    static QString stagingFolder();
    // "/Volumes/Orvo", where the agent image's volume appears, as the disk-image tool and the log name it.
    static QString agentVolume();
    // "/Volumes/OrvoPlugin", where the plugin image's volume appears.
    static QString pluginVolume();
};
