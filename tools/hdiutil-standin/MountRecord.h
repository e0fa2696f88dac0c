#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// The tool's own record of one volume it attached, so that detach removes only what a mount made.
class MountRecord
{
public:
    // Claims the volume name for a mount under way; throws when the name is already claimed or attached.
    static void claim(const std::string& volumeName, const std::string& imagePath);
    // Completes the claim with the identity of the folder the mount put in place.
    static void markAttached(const std::string& volumeName, const std::string& imagePath, dev_t device, ino_t inode);
    // Whether the volume is recorded as attached, and the identity of its folder.
    static std::optional<std::pair<dev_t, ino_t>> attachedFolder(const std::string& volumeName, bool& recorded);
    // Forgets the volume. Best effort.
    static void release(const std::string& volumeName);

private:
    static std::string path(const std::string& volumeName);
};
