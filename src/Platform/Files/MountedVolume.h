#pragma once

#include <QString>

// A volume attached from a disk image. It detaches itself when it goes out of scope, unless it was detached or
// released first; one that did not attach holds nothing.
class MountedVolume
{
public:
    // The outcome of attaching at path: the tool's exit status, or the signal that stopped it; 0 means attached.
    MountedVolume(const QString& path, int status);
    ~MountedVolume();
    MountedVolume(MountedVolume&& other) noexcept;
    MountedVolume& operator=(MountedVolume&& other) = delete;
    MountedVolume(const MountedVolume&) = delete;
    MountedVolume& operator=(const MountedVolume&) = delete;

    // The attach's exit status, or the signal that stopped it.
    int status() const;
    // Whether the volume is attached and still this value's to detach.
    bool isAttached() const;
    // Detaches it now; the tool's exit status.
    int detach();
    // Leaves it attached: a later step detaches it by its mount point.
    void release();

private:
    QString m_path;
    int m_status = 0;
    bool m_held = false;
};
