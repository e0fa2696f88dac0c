#pragma once

#include <QString>

#include <sys/types.h>

#include <optional>

// File and folder operations the plugin relies on; a failure is reported as false, with a description when asked.
class FileManager
{
public:
    // The shared manager every caller uses.
    static FileManager& defaultManager();

    // True when anything exists at the path, following links as the platform does.
    bool fileExists(const QString& path) const;
    // Creates the folder, with missing parents when asked; true when it exists afterwards. mode applies to
    // the folders this call creates, when given.
    bool createDirectory(const QString& path, bool withIntermediates, std::optional<mode_t> mode = std::nullopt,
                         QString* error = nullptr);
    // Copies a file or a whole folder (links kept as links, permission bits kept but for set-user-ID and
    // set-group-ID); fails, changing nothing, when the destination exists or the source is missing.
    bool copyItem(const QString& source, const QString& destination, QString* error = nullptr);
    // Copies a file over destination in one step: a copy beside it, then a rename. The old destination
    // stays as it was on failure.
    bool replaceItemWithCopy(const QString& source, const QString& destination, mode_t mode, QString* error = nullptr);
    // Removes a file, a link or a folder tree.
    bool removeItem(const QString& path, QString* error = nullptr);
    // Size of the file in bytes; 0 when it cannot be read.
    quint64 fileSize(const QString& path) const;
    // Empties the file at offset 0; false when it cannot be opened for updating.
    bool truncateFile(const QString& path);

private:
    FileManager() = default;
};
