#pragma once

#include <string>

// Folder operations the mount and detach need to stay all-or-nothing.
class Folders
{
public:
    // Creates a new, empty, uniquely named folder "<parent>/<prefix>XXXXXX" and returns its path.
    static std::string makeUnique(const std::string& parent, const std::string& prefix);
    // Renames from to to, failing (false, errno set) when to exists, even as an empty folder.
    static bool renameNoReplace(const std::string& from, const std::string& to);
    // Removes path and everything below it, also read-only folders an image brought along. Best effort.
    static void removeTree(const std::string& path);
};
