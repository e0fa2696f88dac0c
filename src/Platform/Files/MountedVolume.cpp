#include "Platform/Files/MountedVolume.h"

#include "Platform/Files/DiskImage.h"

#include <exception>
#include <utility>

MountedVolume::MountedVolume(const QString& path, int status) : m_path(path), m_status(status), m_held(status == 0) {}

MountedVolume::~MountedVolume()
{
    if (!m_held) {
        return;
    }
    // Only a step cut short gets here; a tool that cannot run now has nothing to undo either.
    try {
        static_cast<void>(DiskImage::detach(m_path));
    } catch (const std::exception&) {
    }
}

MountedVolume::MountedVolume(MountedVolume&& other) noexcept
    : m_path(std::move(other.m_path)), m_status(other.m_status), m_held(std::exchange(other.m_held, false))
{
}

int MountedVolume::status() const
{
    return m_status;
}

bool MountedVolume::isAttached() const
{
    return m_held;
}

int MountedVolume::detach()
{
    m_held = false;
    return DiskImage::detach(m_path);
}

void MountedVolume::release()
{
    m_held = false;
}
