#include "Platform/Signing/SignedListCache.h"

namespace {

thread_local SignedListCache* innermost = nullptr;

// The volume's list, the installed agent's and the copy's: a few are all an install meets.
constexpr qsizetype maximumEntries = 4;

} // namespace

SignedListCache::SignedListCache() : m_outer(innermost)
{
    innermost = this;
}

SignedListCache::~SignedListCache()
{
    innermost = m_outer;
}

SignedListCache* SignedListCache::current()
{
    return innermost;
}

std::optional<CodeResources> SignedListCache::find(const QByteArray& key, const QByteArray& list,
                                                   const QByteArray& signature) const
{
    for (const Entry& entry : m_entries) {
        if (entry.signature == signature && entry.key == key && entry.list == list) {
            return entry.resources;
        }
    }
    return std::nullopt;
}

void SignedListCache::keep(const QByteArray& key, const QByteArray& list, const QByteArray& signature,
                           const CodeResources& resources)
{
    if (m_entries.size() >= maximumEntries) {
        m_entries.removeFirst();
    }
    m_entries.append({key, list, signature, resources});
}
