// Times the plugin's install step on the agent image already in the agent folder, calling the agent downloader's
// own operations in the order its finished download calls them: mount, copy and launch (which also copies the
// companion tools, deletes the image and detaches it), detach.
// Usage: HOME=… ORVO_SYSTEM_ROOT=… orvo-bench-install
// Prints one line: mount_s= copy_launch_s= detach_s= total_s= installed=0|1
// The stand-in tool "mounts" by extracting the volume onto the same file system; its pages are written back before
// the install starts, as a real attach writes nothing. Its log line "orvo-bench-install : mounted" marks the start
// of the install proper, which ends at the downloader's "Orvo.app file copied".
// With --copy SOURCE DESTINATION it times only the plugin's folder copy (FileManager::copyItem) and prints copy_s=.
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/WorkingFolders.h"
#include "Platform/Files/DiskImage.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Log/Log.h"

#include <QApplication>
#include <QStringList>

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    // The copy step closes the progress window, so the application has its widgets.
    QApplication app(argc, argv);
    if (argc == 4 && QByteArrayView(argv[1]) == "--copy") {
        const auto start = std::chrono::steady_clock::now();
        const Result<> copied =
            FileManager::defaultManager().copyItem(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (!copied) {
            std::fprintf(stderr, "orvo-bench-install: %s\n", qPrintable(copied.error()));
            return 1;
        }
        std::printf("copy_s=%.4f\n", since(start));
        return 0;
    }
    const QString agentFolder = WorkingFolders::agentFolder();
    if (!FileManager::defaultManager().fileExists(agentFolder + QStringLiteral("OrvoMac.dmg")) ||
        FileManager::defaultManager().fileExists(agentFolder + QStringLiteral("Orvo.app"))) {
        std::fprintf(stderr, "orvo-bench-install: needs OrvoMac.dmg and no Orvo.app in %s\n", qPrintable(agentFolder));
        return 2;
    }
    OrvoDmgDownloader downloader;
    const auto start = std::chrono::steady_clock::now();
    MountedVolume volume =
        DiskImage::attach(agentFolder + QStringLiteral("OrvoMac.dmg"), WorkingFolders::agentVolume());
    // The downloader's own steps detach it, as after its mount.
    volume.release();
    const int mounted = volume.status();
    const double mount = since(start);
    ::sync();
    Log::write("%s : mounted", "orvo-bench-install");
    const auto copyStart = std::chrono::steady_clock::now();
    downloader.copyAppFileAndLaunch();
    const double copy = since(copyStart);
    const auto detachStart = std::chrono::steady_clock::now();
    downloader.unMountingOrvoMacDmg();
    const double detach = since(detachStart);
    const double total = since(start);
    const bool installed =
        mounted == 0 && FileManager::defaultManager().fileExists(agentFolder + QStringLiteral("Orvo.app"));
    std::printf("mount_s=%.4f copy_launch_s=%.4f detach_s=%.4f total_s=%.4f installed=%d\n", mount, copy, detach, total,
                installed ? 1 : 0);
    return installed ? 0 : 1;
}
