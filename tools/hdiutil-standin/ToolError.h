#pragma once

#include <stdexcept>
#include <string>

// A refused or failed command; its text becomes the tool's one-line message on standard error.
class ToolError : public std::runtime_error
{
public:
    explicit ToolError(const std::string& message);
    // The message with the C library's description of errnoValue appended.
    static ToolError withErrno(const std::string& message, int errnoValue);
};
