#pragma once

#include "Platform/Signing/CodeResources.h"

#include <QByteArray>
#include <QList>

#include <optional>

// While one lives, the signature checks on its thread read each signed resource list once: an install checks the
// same list for the volume, the copy and every tool, and a large agent's list takes long to read and verify. A list
// is found again only for exactly the bytes and key it was found good with.
class SignedListCache
{
public:
    SignedListCache();
    ~SignedListCache();
    SignedListCache(const SignedListCache&) = delete;
    SignedListCache& operator=(const SignedListCache&) = delete;

    // The cache alive on this thread, the innermost when several are; null when none is.
    static SignedListCache* current();
    // The resources read from list once signature was found good for it under key; absent when that never happened.
    std::optional<CodeResources> find(const QByteArray& key, const QByteArray& list, const QByteArray& signature) const;
    // Notes that signature was found good for list under key, and what list reads as.
    void keep(const QByteArray& key, const QByteArray& list, const QByteArray& signature,
              const CodeResources& resources);

private:
    struct Entry
    {
        QByteArray key;
        QByteArray list;
        QByteArray signature;
        CodeResources resources;
    };

    SignedListCache* m_outer = nullptr;
    QList<Entry> m_entries;
};
