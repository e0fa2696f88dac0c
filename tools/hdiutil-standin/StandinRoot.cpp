#include "StandinRoot.h"

#include "ToolError.h"

#include <cstdlib>

namespace {

std::string rootPrefix()
{
    const char* root = std::getenv("ORVO_SYSTEM_ROOT");
    std::string prefix = root ? root : "";
    while (!prefix.empty() && prefix.back() == '/') {
        prefix.pop_back();
    }
    return prefix;
}

} // namespace

std::string StandinRoot::volumesFolder()
{
    return rootPrefix() + "/Volumes";
}

std::string StandinRoot::recordsFolder()
{
    return rootPrefix() + "/var/run/orvo-hdiutil-standin";
}

std::string StandinRoot::volumeNameOfMountPoint(const std::string& mountPoint)
{
    const std::string prefix = "/Volumes/";
    std::string name = mountPoint.starts_with(prefix) ? mountPoint.substr(prefix.size()) : std::string();
    if (name.ends_with('/')) {
        name.pop_back();
    }
    if (name.empty()) {
        throw ToolError("not a mount point under /Volumes: " + mountPoint);
    }
    checkVolumeName(name);
    return name;
}

void StandinRoot::checkVolumeName(const std::string& name)
{
    bool plain = !name.empty() && name != "." && name != ".." && name.front() != '.';
    for (const unsigned char c : name) {
        plain = plain && c != '/' && c >= 0x20 && c != 0x7f;
    }
    if (!plain) {
        throw ToolError("unusable volume name \"" + name + "\"");
    }
}
