#pragma once

#include "Platform/Log/Result.h"

#include <QString>

#include <functional>

// Puts a copy of one bundle in place of another so that the destination holds a whole bundle, old or new, at
// every instant: copy beside it under a hidden name (0755 folders and programs, 0644 other files, whatever the source
// holds), check that copy, swap the two in one step, remove the old one.
class BundleReplacer
{
public:
    enum class Outcome
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
    // What a replacement came to; reason is the check's when the outcome is Refused, else empty.
    struct [[nodiscard]] Replacement
    {
        Outcome outcome;
        QString reason;
    };
    // Succeeds when the copy at copyPath may take the old bundle's place; otherwise says why not, in one line.
    using Check = std::function<Result<>(const QString& copyPath)>;

    // Replaces the bundle at destination with a copy of source, once check (when given) accepts the very copy that
    // is then swapped in. Hidden leftovers of an earlier replacement of the same bundle that was cut short are
    // removed first.
    static Replacement replace(const QString& source, const QString& destination, const Check& check = {});
};
