#include "ImageCreator.h"

#include "StandinRoot.h"
#include "ToolError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <stdlib.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t copyBlockSize = std::size_t{64} * 1024;

std::string errorText(archive* a)
{
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

// Characters that come back unchanged from both volume descriptors' character sets.
void checkCreatableName(const std::string& name)
{
    StandinRoot::checkVolumeName(name);
    const bool fits = name.size() <= ImageCreator::maxVolumeNameLength && name.front() != ' ' && name.back() != ' ';
    const bool plain = std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' ||
               c == '_' || c == '-' || c == '+';
    });
    if (!fits || !plain) {
        throw ToolError("volume name \"" + name + "\" must be 1 to 16 letters, digits, blanks or . _ - +");
    }
}

// The folder's contents, sorted so the same folder always makes the same image.
std::vector<fs::path> contentsOf(const fs::path& folder, const fs::path& skipped)
{
    std::vector<fs::path> paths;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (error) {
            break;
        }
        // An image written into its own source folder does not contain itself.
        if (it->path() != skipped) {
            paths.push_back(it->path());
        }
    }
    if (error) {
        throw ToolError("cannot read " + folder.string() + ": " + error.message());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void writeFileData(archive* out, const fs::path& file, off_t expectedSize)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw ToolError::withErrno("cannot read " + file.string(), errno);
    }
    std::vector<char> buffer(copyBlockSize);
    off_t total = 0;
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
        if (archive_write_data(out, buffer.data(), static_cast<size_t>(got)) != got) {
            ::close(fd);
            throw ToolError("cannot write " + file.string() + " into the image: " + errorText(out));
        }
        total += got;
    }
    const int readError = errno;
    ::close(fd);
    if (got < 0) {
        throw ToolError::withErrno("cannot read " + file.string(), readError);
    }
    if (total != expectedSize) {
        throw ToolError(file.string() + " changed while the image was written");
    }
}

void addEntry(archive* out, const fs::path& source, const fs::path& relative)
{
    struct stat info
    {
    };
    if (::lstat(source.c_str(), &info) != 0) {
        throw ToolError::withErrno("cannot read " + source.string(), errno);
    }
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname(entry.get(), relative.generic_string().c_str());
    archive_entry_set_perm(entry.get(), info.st_mode & 0777);
    archive_entry_set_mtime(entry.get(), info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    std::string target;
    if (S_ISDIR(info.st_mode)) {
        archive_entry_set_filetype(entry.get(), AE_IFDIR);
    } else if (S_ISREG(info.st_mode)) {
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_size(entry.get(), info.st_size);
    } else if (S_ISLNK(info.st_mode)) {
        archive_entry_set_filetype(entry.get(), AE_IFLNK);
        target = fs::read_symlink(source).string();
        archive_entry_set_symlink(entry.get(), target.c_str());
    } else {
        throw ToolError("cannot put " + source.string() + " into an image: not a folder, file or link");
    }
    if (archive_write_header(out, entry.get()) < ARCHIVE_WARN) {
        throw ToolError("cannot add " + source.string() + " to the image: " + errorText(out));
    }
    if (S_ISREG(info.st_mode)) {
        writeFileData(out, source, info.st_size);
    }
}

} // namespace

void ImageCreator::create(const std::string& volumeName, const std::string& sourceFolder, const std::string& imagePath,
                          bool overwrite)
{
    checkCreatableName(volumeName);
    std::error_code error;
    if (!fs::is_directory(sourceFolder, error)) {
        throw ToolError("source folder not found: " + sourceFolder);
    }
    if (!overwrite && fs::exists(fs::symlink_status(imagePath, error))) {
        throw ToolError("image already exists: " + imagePath);
    }
    const fs::path image = fs::absolute(imagePath, error);
    // Built by appending: GCC 12 at -O3 reports a false -Wrestrict for "." + std::string&&.
    std::string hiddenName = ".";
    hiddenName += image.filename().string();
    hiddenName += ".XXXXXX";
    std::string temporary = (image.parent_path() / hiddenName).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        throw ToolError::withErrno("cannot create the image " + imagePath, errno);
    }
    try {
        std::unique_ptr<archive, int (*)(archive*)> out(archive_write_new(), archive_write_free);
        archive_write_set_format_iso9660(out.get());
        // Joliet keeps the volume name's case; strict Rock Ridge keeps permission bits; level 3 allows large files.
        const std::string options =
            "iso9660:volume-id=" + volumeName + ",iso9660:joliet=long,iso9660:rockridge=strict,iso9660:iso-level=3";
        if (archive_write_set_options(out.get(), options.c_str()) != ARCHIVE_OK ||
            archive_write_open_fd(out.get(), fd) != ARCHIVE_OK) {
            throw ToolError("cannot start the image: " + errorText(out.get()));
        }
        const fs::path root = fs::absolute(sourceFolder, error).lexically_normal();
        for (const auto& path : contentsOf(root, fs::absolute(temporary, error).lexically_normal())) {
            addEntry(out.get(), path, path.lexically_relative(root));
        }
        if (archive_write_close(out.get()) != ARCHIVE_OK) {
            throw ToolError("cannot finish the image: " + errorText(out.get()));
        }
        if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
            throw ToolError::withErrno("cannot write the image " + imagePath, errno);
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), image.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        throw ToolError::withErrno("cannot write the image " + imagePath, saved);
    }
}
