#pragma once

#include <QString>

#include <optional>

// A text value that keeps "absent" (std::nullopt) and the empty text apart.
using OptionalString = std::optional<QString>;
