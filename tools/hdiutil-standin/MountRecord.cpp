#include "MountRecord.h"

#include "StandinRoot.h"
#include "ToolError.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string MountRecord::path(const std::string& volumeName)
{
    return StandinRoot::recordsFolder() + "/" + volumeName + ".mount";
}

namespace {

// A claim whose mount was killed before it finished: its process is gone and nothing was attached.
bool isAbandonedClaim(const std::string& recordPath)
{
    std::ifstream in(recordPath);
    std::string state;
    pid_t pid = 0;
    return in >> state >> pid && state == "mounting" && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

void MountRecord::claim(const std::string& volumeName, const std::string& imagePath)
{
    std::error_code error;
    std::filesystem::create_directories(StandinRoot::recordsFolder(), error);
    // Held while a claim is tested and taken, so a stale claim is never cleared under a fresh one's feet.
    const std::string lockPath = StandinRoot::recordsFolder() + ".lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        const int saved = errno;
        if (lock >= 0) {
            ::close(lock);
        }
        throw ToolError::withErrno("cannot lock " + lockPath, saved);
    }
    if (isAbandonedClaim(path(volumeName))) {
        release(volumeName);
    }
    // O_EXCL: of two mounts of the same volume name, one gets the claim.
    const int fd = ::open(path(volumeName).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const int openError = errno;
    bool written = false;
    if (fd >= 0) {
        const std::string text = "mounting " + std::to_string(::getpid()) + "\n" + imagePath + "\n";
        written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        if (!written) {
            release(volumeName);
        }
    }
    ::close(lock);
    if (fd < 0 && openError == EEXIST) {
        throw ToolError("volume \"" + volumeName + "\" is already attached");
    }
    if (fd < 0 || !written) {
        throw ToolError::withErrno("cannot record the mount in " + StandinRoot::recordsFolder(),
                                   fd < 0 ? openError : EIO);
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
