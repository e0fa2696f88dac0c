#pragma once

#include "Platform/Files/MountedVolume.h"
#include "Platform/Log/Result.h"

#include <QString>
#include <QStringList>

// The disk-image tool, "/usr/bin/hdiutil" under the system root, and the image files it attaches: attaching, detaching,
// clearing a mount point an earlier run left, deleting the image. Each run of the tool is bounded.
class DiskImage
{
public:
    // Attaches image at volume; the volume detaches itself when dropped, unless detached or released first.
    static MountedVolume attach(const QString& image, const QString& volume);
    // Detaches whatever is attached at volume; the tool's exit status, or the signal that stopped it.
    static int detach(const QString& volume);
    // Detaches what an earlier run left attached at volume; fails when something is still there afterwards.
    static Result<> clearMountPoint(const QString& volume);
    // Deletes the image file; nothing to do when there is none.
    static Result<> remove(const QString& image);
    // Runs the tool with arguments, serving the event loop meanwhile; its exit status. A tool still running after
    // 2 minutes (ORVO_HDIUTIL_TIMEOUT_MS overrides) is stopped, with a line in the log, and its signal returned.
    // Throws PlatformException when the tool cannot be started.
    static int run(const QStringList& arguments);
};
