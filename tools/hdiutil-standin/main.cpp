#include "ToolError.h"
#include "VolumeCommands.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int failure = 1;

const char* const usage = "usage: orvo-hdiutil-standin mount IMAGE | detach /Volumes/NAME | "
                          "create [-ov] -volname NAME -srcfolder DIR IMAGE";

// Messages are one line whatever the file names hold.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string verb = arguments.empty() ? std::string() : arguments.front();
    try {
        if (verb == "mount" && arguments.size() == 2) {
            VolumeCommands::mount(arguments[1]);
        } else if (verb == "detach" && arguments.size() == 2) {
            VolumeCommands::detach(arguments[1]);
        } else if (verb == "create") {
            VolumeCommands::create({arguments.begin() + 1, arguments.end()});
        } else {
            throw ToolError(usage);
        }
    } catch (const std::exception& error) {
        std::cerr << "orvo-hdiutil-standin: " << (verb.empty() ? "" : verb + ": ") << oneLine(error.what())
                  << std::endl;
        return failure;
    }
    return 0;
}
