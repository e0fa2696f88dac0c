#include "EntryCheck.h"

#include "ToolError.h"

#include <vector>

namespace {

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path + '/') {
        if (c != '/') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

} // namespace

std::string EntryCheck::insidePath(const std::string& entryPath)
{
    if (entryPath.empty() || entryPath.front() == '/') {
        throw ToolError("image entry with an absolute path: \"" + entryPath + "\"");
    }
    std::string cleaned;
    for (const auto& part : components(entryPath)) {
        if (part == "..") {
            throw ToolError("image entry that leaves the volume: \"" + entryPath + "\"");
        }
        if (part != ".") {
            cleaned += (cleaned.empty() ? "" : "/") + part;
        }
    }
    return cleaned;
}

void EntryCheck::checkSymlinkTarget(const std::string& entryPath, const std::string& target)
{
    if (target.empty() || target.front() == '/') {
        throw ToolError("image link \"" + entryPath + "\" points outside the volume: \"" + target + "\"");
    }
    // ".." only in front, so it climbs real folders of the volume: after a name, that name could itself be a link
    // and the text alone would no longer tell where it leads.
    const auto linkPath = components(insidePath(entryPath));
    if (linkPath.empty()) {
        throw ToolError("image link without a name");
    }
    std::size_t depth = linkPath.size() - 1;
    bool climbing = true;
    for (const auto& part : components(target)) {
        if (part == ".." && (!climbing || depth == 0)) {
            std::string message = "image link \"" + entryPath;
            message += "\" points outside the volume: \"";
            message += target + "\"";
            throw ToolError(message);
        }
        if (part == "..") {
            --depth;
        } else if (part != ".") {
            climbing = false;
        }
    }
}
