#include "ToolError.h"

#include <cstring>

ToolError::ToolError(const std::string& message) : std::runtime_error(message) {}

ToolError ToolError::withErrno(const std::string& message, int errnoValue)
{
    return ToolError(message + ": " + std::strerror(errnoValue));
}
