#pragma once

#include <string>

// The volume name written in an image's volume descriptors.
class VolumeDescriptor
{
public:
    // The Joliet volume identifier (it keeps the name's case), else the primary one; throws for a file that is
    // not an image or cannot be read.
    static std::string readVolumeName(const std::string& imagePath);
};
