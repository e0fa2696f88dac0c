#include "Objects/WorkingFolders.h"

#include "Platform/Files/Paths.h"

QString WorkingFolders::agentFolder()
{
    return Paths::homeDirectory() + QStringLiteral("/Library/Application Support/OrvoMeetingNative/");
}

QString WorkingFolders::stagingFolder()
{
    return Paths::homeDirectory() + QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");
}

QString WorkingFolders::agentVolume()
{
    return QStringLiteral("/Volumes/Orvo");
}

QString WorkingFolders::pluginVolume()
{
    return QStringLiteral("/Volumes/OrvoPlugin");
}
