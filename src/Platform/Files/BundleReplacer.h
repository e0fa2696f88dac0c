#pragma once

#include <QString>

#include <functional>
#include <optional>

// Puts a copy of one bundle in place of another so that the destination holds a whole bundle, old or new, at
// every instant: copy beside it under a hidden name, check that copy, swap the two in one step, remove the old one.
class BundleReplacer
{
public:
    enum class Result
    {
        // The copy is in place; the old bundle is gone.
        Replaced,
        // The old bundle could not be moved out of the way (missing, or its folder takes no changes); it is untouched.
        OldNotRemovable,
        // The copy could not be made or put in place; the old bundle is in place and no copy is left behind.
        CopyFailed,
        // The check refused the copy; the old bundle is untouched and no copy is left behind.
        Refused,
    };
    // Nothing when the copy at copyPath may take the old bundle's place; otherwise why not, in one line.
    using Check = std::function<std::optional<QString>(const QString& copyPath)>;

    // Replaces the bundle at destination with a copy of source, once check (when given) accepts the very copy that
    // is then swapped in; a refusal's reason goes to reason. Hidden leftovers of an earlier replacement of the same
    // bundle that was cut short are removed first.
    static Result replace(const QString& source, const QString& destination, const Check& check = {},
                          QString* reason = nullptr);
};
