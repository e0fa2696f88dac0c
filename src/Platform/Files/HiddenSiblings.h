#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>

// Hidden work items beside a path, named ".<name>.<purpose>-XXXXXX", and a lock on their folder: whoever works
// there holds it shared, and leftovers of work cut short are cleared only under an exclusive hold, so no process
// ever removes another's work in progress.
class HiddenSiblings
{
public:
    // Takes the folder's lock for work beside path, clearing the purpose's leftovers first when nobody else is at
    // work in that folder.
    HiddenSiblings(const QString& path, const char* purpose);
    ~HiddenSiblings();
    HiddenSiblings(const HiddenSiblings&) = delete;
    HiddenSiblings& operator=(const HiddenSiblings&) = delete;

    // The folder that holds path, as the system names it.
    QByteArray folder() const;
    // A fresh hidden name in the folder with nothing there; on failure errno still says why, for callers that
    // tell a folder that takes no changes from other trouble.
    Result<QByteArray> reserveName() const;
    // A fresh hidden folder, owner only; on failure errno still says why.
    Result<QByteArray> makeFolder() const;
    // Makes everything written so far durable, so a name never reaches the disk before its contents.
    void sync() const;

    // Clears the purpose's leftovers beside path when nobody else is at work in its folder, and lets go at once.
    static void clearLeftovers(const QString& path, const char* purpose);
    // The same for the purpose's leftovers beside anything in folder.
    static void clearLeftoversIn(const QString& folder, const char* purpose);

private:
    HiddenSiblings(const QString& folder, const QByteArray& prefix, const QByteArray& suffix);

    QByteArray m_folder;
    QByteArray m_prefix;
    QByteArray m_suffix;
    int m_lock = -1;
};
