#include "ImageExtractor.h"

#include "EntryCheck.h"
#include "ToolError.h"

#include <fcntl.h>
#include <unistd.h>

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <memory>

namespace {

constexpr std::size_t readBlockSize = std::size_t{64} * 1024;

using ArchivePtr = std::unique_ptr<archive, int (*)(archive*)>;

// libarchive writes relative to the working folder; this keeps the tool's own one around the extraction.
class WorkingFolder
{
public:
    explicit WorkingFolder(const std::string& folder) : saved_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (saved_ < 0 || ::chdir(folder.c_str()) != 0) {
            throw ToolError::withErrno("cannot enter " + folder, errno);
        }
    }
    ~WorkingFolder()
    {
        if (::fchdir(saved_) != 0) {
            // Nothing relative is used afterwards; the paths the tool works with are absolute.
        }
        ::close(saved_);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    int saved_;
};

std::string errorText(archive* a)
{
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

void copyData(archive* in, archive* out, const std::string& name)
{
    const void* buffer = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(in, &buffer, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return;
        }
        if (status < ARCHIVE_WARN) {
            throw ToolError("cannot read \"" + name + "\" from the image: " + errorText(in));
        }
        if (archive_write_data_block(out, buffer, size, offset) < ARCHIVE_WARN) {
            throw ToolError("cannot write \"" + name + "\": " + errorText(out));
        }
    }
}

// Checks and rewrites one entry in place; returns false for entries that name the volume's top itself.
bool admit(archive_entry* entry)
{
    const char* rawPath = archive_entry_pathname(entry);
    const std::string path = EntryCheck::insidePath(rawPath ? rawPath : "");
    if (path.empty()) {
        return false;
    }
    archive_entry_set_pathname(entry, path.c_str());
    if (const char* hardlink = archive_entry_hardlink(entry)) {
        archive_entry_set_hardlink(entry, EntryCheck::insidePath(hardlink).c_str());
        return true;
    }
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
    case AE_IFDIR:
        break;
    case AE_IFLNK: {
        const char* target = archive_entry_symlink(entry);
        EntryCheck::checkSymlinkTarget(path, target ? target : "");
        break;
    }
    default:
        throw ToolError("image entry of an unsupported kind: \"" + path + "\"");
    }
    // Permission bits only: a volume never hands out set-user or set-group rights.
    archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
    return true;
}

} // namespace

void ImageExtractor::extract(const std::string& imagePath, const std::string& folder)
{
    ArchivePtr in(archive_read_new(), archive_read_free);
    archive_read_support_format_iso9660(in.get());
    if (archive_read_open_filename(in.get(), imagePath.c_str(), readBlockSize) != ARCHIVE_OK) {
        throw ToolError("not a disk image: " + imagePath + " (" + errorText(in.get()) + ")");
    }
    ArchivePtr out(archive_write_disk_new(), archive_write_free);
    archive_write_disk_set_options(out.get(), ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME |
                                                  ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                  ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS |
                                                  ARCHIVE_EXTRACT_NO_OVERWRITE);
    WorkingFolder inside(folder);
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(in.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status < ARCHIVE_WARN) {
            throw ToolError("cannot read the image " + imagePath + ": " + errorText(in.get()));
        }
        if (!admit(entry)) {
            continue;
        }
        const std::string name = archive_entry_pathname(entry);
        if (archive_write_header(out.get(), entry) < ARCHIVE_WARN) {
            throw ToolError("cannot extract \"" + name + "\": " + errorText(out.get()));
        }
        if (archive_entry_size(entry) > 0) {
            copyData(in.get(), out.get(), name);
        }
        if (archive_write_finish_entry(out.get()) < ARCHIVE_WARN) {
            throw ToolError("cannot extract \"" + name + "\": " + errorText(out.get()));
        }
    }
    // Closing applies the folder permissions that were held back until their contents were written.
    if (archive_write_close(out.get()) < ARCHIVE_WARN) {
        throw ToolError("cannot finish extracting " + imagePath + ": " + errorText(out.get()));
    }
}
