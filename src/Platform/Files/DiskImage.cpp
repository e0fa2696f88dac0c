#include "Platform/Files/DiskImage.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/SystemRoot.h"
#include "Platform/Files/Task.h"
#include "Platform/Log/Log.h"

using namespace std::chrono_literals;

namespace {

const QString tool = QStringLiteral("/usr/bin/hdiutil");
constexpr auto toolBound = 2min;

bool somethingAt(const QString& volume)
{
    return FileManager::defaultManager().fileExists(SystemRoot::path(volume));
}

} // namespace

MountedVolume DiskImage::attach(const QString& image, const QString& volume)
{
    return MountedVolume(volume, run({QStringLiteral("mount"), image}));
}

int DiskImage::detach(const QString& volume)
{
    return run({QStringLiteral("detach"), volume});
}

Result<> DiskImage::clearMountPoint(const QString& volume)
{
    if (!somethingAt(volume)) {
        return {};
    }
    // The status does not matter: this run did not attach it, and only what is left afterwards counts.
    static_cast<void>(detach(volume));
    if (somethingAt(volume)) {
        return Failure{QStringLiteral("%1 is still attached").arg(volume)};
    }
    return {};
}

Result<> DiskImage::remove(const QString& image)
{
    FileManager& manager = FileManager::defaultManager();
    if (!manager.fileExists(image)) {
        return {};
    }
    return manager.removeItem(image);
}

int DiskImage::run(const QStringList& arguments)
{
    Task task;
    task.setLaunchPath(tool);
    task.setArguments(arguments);
    task.launch();
    if (!task.waitUntilExit(Task::boundFromEnvironment("ORVO_HDIUTIL_TIMEOUT_MS", toolBound)).ok()) {
        // The line keeps the name both downloaders have always logged it under.
        Log::write("%s : /usr/bin/hdiutil %@ did not exit in time and was stopped", "+[OrvoDmgDownloader runHdiutil:]",
                   arguments.join(QLatin1Char(' ')));
    }
    return task.terminationStatus();
}
