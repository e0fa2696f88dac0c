#pragma once

#include "Platform/Log/Result.h"

#include <QString>

#include <functional>

// Puts a checked copy of a file or a folder at a path in one rename: the copy is made in a hidden folder beside the
// path and checked there, so the path holds what was there before or the whole checked copy at every instant.
// Removal takes an item away in one rename too. Hidden leftovers of either, cut short, are cleared by the next call
// for the same path.
class SiblingInstall
{
public:
    enum class Outcome
    {
        // The checked copy is at the destination.
        Installed,
        // The copy could not be made; nothing changed.
        CopyFailed,
        // The check refused the copy; nothing changed.
        Refused,
        // The copy could not be renamed into place (a folder is in the way, or the folder takes no changes).
        NotPlaced,
    };
    // What an install came to; reason is the check's when the outcome is Refused, else empty.
    struct [[nodiscard]] Installation
    {
        Outcome outcome;
        QString reason;
    };
    // Succeeds when the copy at copyPath may go in place; otherwise says why not, in one line. The copy has the
    // destination's file name.
    using Check = std::function<Result<>(const QString& copyPath)>;

    // Copies source beside destination, has check (when given) accept the copy, then renames it to destination: a
    // file there is replaced in that one step, a folder there is left alone (NotPlaced). Whatever the outcome, no
    // copy is left behind.
    static Installation install(const QString& source, const QString& destination, const Check& check = {});
    // Takes whatever is at path away in one rename, then removes it; succeeds when nothing is at path afterwards.
    static Result<> remove(const QString& path);
    // Clears leftovers of installs and removals cut short anywhere in folder, unless another process is at work
    // there.
    static void clearLeftoversIn(const QString& folder);
};
