#include "Folders.h"

#include "ToolError.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <filesystem>
#include <stdlib.h>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

std::string Folders::makeUnique(const std::string& parent, const std::string& prefix)
{
    std::error_code error;
    fs::create_directories(parent, error);
    std::vector<char> name(parent.begin(), parent.end());
    const std::string pattern = "/" + prefix + "XXXXXX";
    name.insert(name.end(), pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        throw ToolError::withErrno("cannot create a folder in " + parent, errno);
    }
    return name.data();
}

bool Folders::renameNoReplace(const std::string& from, const std::string& to)
{
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

void Folders::removeTree(const std::string& path)
{
    std::error_code error;
    // Folders first made writable, so their contents can go.
    if (fs::is_directory(fs::symlink_status(path, error))) {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
        for (auto it = fs::recursive_directory_iterator(path, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (it->is_directory(error) && !it->is_symlink(error)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
            }
        }
    }
    fs::remove_all(path, error);
}
