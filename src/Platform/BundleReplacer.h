#pragma once

#include <QString>

// Puts a copy of one bundle in place of another so that the destination holds a whole bundle, old or new, at
// every instant: copy beside it under a hidden name, swap the two in one step, remove the old one.
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
    };

    // Replaces the bundle at destination with a copy of source. Hidden leftovers of an earlier replacement of the
    // same bundle that was cut short are removed first.
    static Result replace(const QString& source, const QString& destination);

    // Whether to try the one-step swap; without it two renames do the work. Off lets tests take the path a file
    // system without the swap takes.
    static void setExchangeEnabled(bool enabled);
};
