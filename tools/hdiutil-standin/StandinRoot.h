#pragma once

#include <string>

// The fixed system locations the tool works in, put under ORVO_SYSTEM_ROOT when that is set.
class StandinRoot
{
public:
    // "<root>/Volumes": where volumes appear.
    static std::string volumesFolder();
    // "<root>/var/run/orvo-hdiutil-standin": one record per volume this tool has attached.
    static std::string recordsFolder();
    // The volume name in a plain mount point "/Volumes/NAME" (a trailing separator allowed); throws otherwise.
    static std::string volumeNameOfMountPoint(const std::string& mountPoint);
    // Throws unless name can be a single folder name under the volumes folder.
    static void checkVolumeName(const std::string& name);
};
