#pragma once

#include "Platform/Log/Result.h"

#include <QList>
#include <QString>

#include <functional>

// Puts a checked copy of a file or a folder at a path in one rename: the copy is made in a hidden folder beside the
// path and checked there, so the path holds what was there before or the whole checked copy at every instant. Copies
// get the modes of an install (0755 folders and programs, 0644 other files), whatever the source holds.
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

    // One item of a joint install: a copy of source goes to destination once check (when given) accepts it.
    struct Item
    {
        QString source;
        QString destination;
        Check check;
    };
    // What a joint install came to; failedItem is the index of the item that stopped it, -1 when all went in.
    struct [[nodiscard]] JointInstallation
    {
        Outcome outcome;
        QString reason;
        qsizetype failedItem = -1;
    };

    // Copies source beside destination, has check (when given) accept the copy, then renames it to destination: a
    // file there is replaced in that one step, a folder there is left alone (NotPlaced). Whatever the outcome, no
    // copy is left behind.
    static Installation install(const QString& source, const QString& destination, const Check& check = {});
    // Installs every item or none: each is copied beside its destination and checked there, in order, so a check may
    // rely on the copies before it; only once all are accepted does each go in place in one step, an item already at
    // its destination exchanged with the copy and then removed. A failure puts back what was placed; no copy stays.
    static JointInstallation installAll(const QList<Item>& items);
    // Takes whatever is at path away in one rename, then removes it; succeeds when nothing is at path afterwards.
    static Result<> remove(const QString& path);
};
