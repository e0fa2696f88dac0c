#pragma once

#include <string>

// Writes an image whose volume carries a given name and the contents of a folder at its top level.
class ImageCreator
{
public:
    // Longest volume name the Joliet descriptor holds (UCS-2 characters).
    static constexpr std::size_t maxVolumeNameLength = 16;

    // Streams every file; writes beside imagePath and renames into place, so a failure leaves no partial image.
    // Throws when the name cannot be kept letter for letter, the folder holds something other than folders,
    // files and links, or imagePath exists and overwrite is false.
    static void create(const std::string& volumeName, const std::string& sourceFolder, const std::string& imagePath,
                       bool overwrite);
};
