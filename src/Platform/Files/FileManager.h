#pragma once

#include "Platform/Log/Result.h"

#include <QString>

#include <sys/types.h>

#include <optional>

// File and folder operations the plugin relies on; a failing one says why in its Result.
class FileManager
{
public:
    // The shared manager every caller uses.
    static FileManager& defaultManager();

    // True when anything exists at the path, following links as the platform does.
    bool fileExists(const QString& path) const;
    // Creates the folder, with missing parents when asked; succeeds when it exists afterwards. mode applies to
    // the folders this call creates, when given.
    Result<> createDirectory(const QString& path, bool withIntermediates, std::optional<mode_t> mode = std::nullopt);
    // How a copy's permission bits are set: Kept, the source's but for set-user-ID and set-group-ID; Installed,
    // 0755 for folders and for files the owner may run, 0644 for other files, whatever the source holds.
    enum class CopyModes
    {
        Kept,
        Installed,
    };

    // Copies a file or a whole folder, links kept as links; fails, changing nothing, when the destination exists or
    // the source is missing.
    Result<> copyItem(const QString& source, const QString& destination, CopyModes modes = CopyModes::Kept);
    // Copies a file over destination in one step: a copy beside it, then a rename. The old destination
    // stays as it was on failure.
    Result<> replaceItemWithCopy(const QString& source, const QString& destination, mode_t mode);
    // Removes a file, a link or a folder tree.
    Result<> removeItem(const QString& path);
    // Size of the file in bytes; 0 when it cannot be read.
    quint64 fileSize(const QString& path) const;
    // Empties the file at offset 0; fails when it cannot be opened for updating.
    Result<> truncateFile(const QString& path);

private:
    FileManager() = default;
};
