#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

// Hidden work items beside a path, named ".<name>.<purpose>-XXXXXX": the one scheme of every temporary file and
// folder the plugin makes. A lock on their folder: whoever works there holds it shared, and leftovers of work cut
// short are cleared only under an exclusive hold, so no process ever removes another's work in progress.
class HiddenSiblings
{
public:
    // What a work item is for, the word its name carries.
    enum class Purpose
    {
        // A copy checked beside its place before it goes there, and an item taken away (SiblingInstall).
        Install,
        // The bundle swapped in at exit (BundleReplacer).
        Replace,
        // A download under way (PartialFile).
        Part,
        // A file copied over another (FileManager::replaceItemWithCopy).
        Copy,
        // A file written whole (FileWriter).
        New,
    };

    // Takes the folder's lock for work beside path, clearing the purpose's leftovers first when nobody else is at
    // work in that folder.
    HiddenSiblings(const QString& path, Purpose purpose);
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
    // A fresh hidden file, owner only, open for reading and writing: its descriptor and name. On failure errno
    // still says why.
    Result<std::pair<int, QByteArray>> makeFile() const;
    // Makes everything written so far durable, so a name never reaches the disk before its contents.
    void sync() const;

    // Clears the purpose's leftovers beside path when nobody else is at work in its folder, and lets go at once.
    static void clearLeftovers(const QString& path, Purpose purpose);
    // Clears every leftover in folder when nobody else is at work there: those of each purpose, and those of the
    // names earlier versions gave ("<name>.part-XXXXXX", "<name>.new-XXXXXX", ".copy-XXXXXX"). alsoWhenFree, when
    // given, runs under the same hold, for what the folder keeps only while a run lasts.
    static void clearAllLeftoversIn(const QString& folder, const std::function<void()>& alsoWhenFree = {});

private:
    HiddenSiblings(const QString& folder, const QByteArray& prefix);

    QByteArray m_folder;
    QByteArray m_prefix;
    int m_lock = -1;
};
