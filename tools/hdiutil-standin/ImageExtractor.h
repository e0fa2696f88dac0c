#pragma once

#include <string>

// Extracts an image's contents into an existing empty folder, refusing entries that would land outside it.
class ImageExtractor
{
public:
    // Streams the image entry by entry; keeps permission bits (no set-id bits); throws on the first refusal or
    // error, leaving the folder for the caller to remove.
    static void extract(const std::string& imagePath, const std::string& folder);
};
