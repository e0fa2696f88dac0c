#include "VolumeDescriptor.h"

#include "ToolError.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

constexpr std::size_t sectorSize = 2048;
constexpr std::size_t firstDescriptorSector = 16;
// Enough for a primary, a supplementary, a boot record and the terminator, with room to spare.
constexpr std::size_t maxDescriptors = 32;
constexpr std::size_t volumeIdOffset = 40;
constexpr std::size_t volumeIdLength = 32;

using Sector = std::array<char, sectorSize>;

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
        text.pop_back();
    }
    return text;
}

bool isJoliet(const Sector& sector)
{
    // The escape sequences of the three UCS-2 levels.
    return sector[88] == '%' && sector[89] == '/' && (sector[90] == '@' || sector[90] == 'C' || sector[90] == 'E');
}

// UCS-2 big-endian to UTF-8; surrogates do not belong in a UCS-2 field.
std::string utf8FromUcs2(const char* field, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        const unsigned code = (static_cast<unsigned char>(field[i]) << 8) | static_cast<unsigned char>(field[i + 1]);
        if (code >= 0xd800 && code <= 0xdfff) {
            throw ToolError("image has a malformed Joliet volume name");
        }
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xc0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3f));
        } else {
            text += static_cast<char>(0xe0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            text += static_cast<char>(0x80 | (code & 0x3f));
        }
    }
    return text;
}

} // namespace

std::string VolumeDescriptor::readVolumeName(const std::string& imagePath)
{
    std::ifstream image(imagePath, std::ios::binary);
    if (!image) {
        throw ToolError::withErrno("cannot open " + imagePath, errno);
    }
    image.seekg(static_cast<std::streamoff>(firstDescriptorSector * sectorSize));
    std::string primaryName;
    bool sawPrimary = false;
    for (std::size_t i = 0; i < maxDescriptors; ++i) {
        Sector sector{};
        if (!image.read(sector.data(), sector.size()) || std::memcmp(sector.data() + 1, "CD001", 5) != 0) {
            break;
        }
        const auto type = static_cast<unsigned char>(sector[0]);
        if (type == 255) {
            break;
        }
        if (type == 2 && isJoliet(sector)) {
            return trimmed(utf8FromUcs2(sector.data() + volumeIdOffset, volumeIdLength));
        }
        if (type == 1) {
            sawPrimary = true;
            primaryName = trimmed(std::string(sector.data() + volumeIdOffset, volumeIdLength));
        }
    }
    if (!sawPrimary) {
        throw ToolError("not a disk image: " + imagePath);
    }
    return primaryName;
}
