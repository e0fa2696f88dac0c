#pragma once

#include <string>
#include <vector>

// The tool's three commands; each throws ToolError when it refuses or fails.
class VolumeCommands
{
public:
    // "mount IMAGE": the image's volume appears, complete or not at all, at "<root>/Volumes/<volume name>".
    static void mount(const std::string& imagePath);
    // "detach /Volumes/NAME": removes a volume this tool attached, and only such a one.
    static void detach(const std::string& mountPoint);
    // "create [-ov] -volname NAME -srcfolder DIR IMAGE".
    static void create(const std::vector<std::string>& arguments);
};
