#include "VolumeCommands.h"

#include "Folders.h"
#include "ImageCreator.h"
#include "ImageExtractor.h"
#include "MountRecord.h"
#include "StandinRoot.h"
#include "ToolError.h"
#include "VolumeDescriptor.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

void VolumeCommands::mount(const std::string& imagePath)
{
    std::error_code error;
    if (!fs::is_regular_file(imagePath, error)) {
        throw ToolError("no such image file: " + imagePath);
    }
    const std::string name = VolumeDescriptor::readVolumeName(imagePath);
    StandinRoot::checkVolumeName(name);
    const std::string volumes = StandinRoot::volumesFolder();
    const std::string volume = volumes + "/" + name;
    const std::string image = fs::absolute(imagePath, error).string();
    MountRecord::claim(name, image);
    std::string staging;
    try {
        if (fs::exists(fs::symlink_status(volume, error))) {
            throw ToolError("/Volumes/" + name + " is already in use");
        }
        // Extracted beside the mount point and renamed into place, so a failed mount leaves no half volume.
        staging = Folders::makeUnique(volumes, "." + name + ".mounting-");
        // A private name while filling, then the mode an ordinary folder gets.
        ImageExtractor::extract(imagePath, staging);
        if (::chmod(staging.c_str(), 0755) != 0) {
            throw ToolError::withErrno("cannot attach /Volumes/" + name, errno);
        }
        if (!Folders::renameNoReplace(staging, volume)) {
            throw ToolError::withErrno("cannot attach /Volumes/" + name, errno);
        }
        staging.clear();
        struct stat info
        {
        };
        if (::stat(volume.c_str(), &info) != 0) {
            throw ToolError::withErrno("cannot attach /Volumes/" + name, errno);
        }
        MountRecord::markAttached(name, image, info.st_dev, info.st_ino);
    } catch (...) {
        if (!staging.empty()) {
            Folders::removeTree(staging);
        }
        MountRecord::release(name);
        throw;
    }
}

void VolumeCommands::detach(const std::string& mountPoint)
{
    const std::string name = StandinRoot::volumeNameOfMountPoint(mountPoint);
    bool recorded = false;
    const auto identity = MountRecord::attachedFolder(name, recorded);
    if (!identity) {
        throw ToolError(mountPoint + " is not attached");
    }
    const std::string volume = StandinRoot::volumesFolder() + "/" + name;
    struct stat info
    {
    };
    if (::lstat(volume.c_str(), &info) != 0) {
        // The folder went some other way; the record is all that is left of the mount.
        MountRecord::release(name);
        throw ToolError(mountPoint + " is not attached");
    }
    if (!S_ISDIR(info.st_mode) || info.st_dev != identity->first || info.st_ino != identity->second) {
        throw ToolError(mountPoint + " was replaced by something this tool did not attach; left alone");
    }
    // Moved aside first, so the mount point disappears at once even when removing takes a while.
    const std::string doomed = Folders::makeUnique(StandinRoot::volumesFolder(), "." + name + ".detaching-");
    if (::rename(volume.c_str(), doomed.c_str()) != 0) {
        const int saved = errno;
        Folders::removeTree(doomed);
        throw ToolError::withErrno("cannot detach " + mountPoint, saved);
    }
    MountRecord::release(name);
    Folders::removeTree(doomed);
}

void VolumeCommands::create(const std::vector<std::string>& arguments)
{
    std::string volumeName;
    std::string sourceFolder;
    std::string imagePath;
    bool overwrite = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "-volname" && hasValue) {
            volumeName = arguments[++i];
        } else if (argument == "-srcfolder" && hasValue) {
            sourceFolder = arguments[++i];
        } else if (argument == "-ov") {
            overwrite = true;
        } else if (!argument.starts_with('-') && imagePath.empty()) {
            imagePath = argument;
        } else {
            throw ToolError("create: unexpected argument \"" + argument + "\"");
        }
    }
    if (volumeName.empty() || sourceFolder.empty() || imagePath.empty()) {
        throw ToolError("usage: create [-ov] -volname NAME -srcfolder DIR IMAGE");
    }
    ImageCreator::create(volumeName, sourceFolder, imagePath, overwrite);
}
