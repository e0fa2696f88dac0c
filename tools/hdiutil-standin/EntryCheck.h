#pragma once

#include <string>

// What an image entry may name so that extracting it stays inside the volume folder.
class EntryCheck
{
public:
    // The entry's path, relative and without "." components; throws for an absolute path or one with "..".
    static std::string insidePath(const std::string& entryPath);
    // Throws unless a link at entryPath pointing to target resolves, by its text alone, inside the volume.
    static void checkSymlinkTarget(const std::string& entryPath, const std::string& target);
};
