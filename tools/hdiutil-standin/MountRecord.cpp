#include "MountRecord.h"

#include "StandinRoot.h"
#include "ToolError.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string MountRecord::path(const std::string& volumeName)
{
    return StandinRoot::recordsFolder() + "/" + volumeName + ".mount";
}

void MountRecord::claim(const std::string& volumeName, const std::string& imagePath)
{
    std::error_code error;
    std::filesystem::create_directories(StandinRoot::recordsFolder(), error);
    // O_EXCL makes two mounts of the same volume name at once exclude each other.
    const int fd = ::open(path(volumeName).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) {
        throw ToolError("volume \"" + volumeName + "\" is already attached");
    }
    if (fd < 0) {
        throw ToolError::withErrno("cannot record the mount in " + StandinRoot::recordsFolder(), errno);
    }
    const std::string text = "mounting\n" + imagePath + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        release(volumeName);
        throw ToolError("cannot record the mount in " + StandinRoot::recordsFolder());
    }
}

void MountRecord::markAttached(const std::string& volumeName, const std::string& imagePath, dev_t device, ino_t inode)
{
    // Written beside and renamed over the claim, so the record is never half a line.
    const std::string finalPath = path(volumeName);
    const std::string temporary = finalPath + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "attached " << device << ' ' << inode << '\n' << imagePath << '\n';
        if (!out.flush()) {
            throw ToolError("cannot record the mount in " + StandinRoot::recordsFolder());
        }
    }
    if (::rename(temporary.c_str(), finalPath.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        throw ToolError::withErrno("cannot record the mount in " + StandinRoot::recordsFolder(), saved);
    }
}

std::optional<std::pair<dev_t, ino_t>> MountRecord::attachedFolder(const std::string& volumeName, bool& recorded)
{
    std::ifstream in(path(volumeName));
    recorded = static_cast<bool>(in);
    std::string state;
    dev_t device = 0;
    ino_t inode = 0;
    if (in >> state >> device >> inode && state == "attached") {
        return std::make_pair(device, inode);
    }
    return std::nullopt;
}

void MountRecord::release(const std::string& volumeName)
{
    ::unlink(path(volumeName).c_str());
}
