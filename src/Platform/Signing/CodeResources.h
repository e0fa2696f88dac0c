#pragma once

#include "Platform/Signing/BundleTree.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The list a bundle's signature covers (Contents/_CodeSignature/CodeResources): the bundle's folders, its files
// with their digests and executable bits, its links with their targets, and the digests of companion files that
// are delivered beside the bundle.
class CodeResources
{
public:
    // The list of what the tree holds, with no companions.
    explicit CodeResources(const BundleTree& tree);
    // The list held in data, an XML property list; nothing with a reason when it is not a well-formed list.
    static std::optional<CodeResources> fromData(const QByteArray& data, QString* reason);

    // Adds a companion by its file name; why not when the name is not a plain file name or is listed already.
    std::optional<QString> addCompanion(const QString& name, const QString& digest);
    // The list as an XML property list.
    QByteArray data() const;

    // The first way the tree differs from the list, in one line; nothing when it matches item for item.
    std::optional<QString> differenceFrom(const BundleTree& tree) const;
    // The digest listed for the companion of that file name; nothing when none is listed.
    std::optional<QString> companionDigest(const QString& name) const;

private:
    CodeResources() = default;

    QMap<QString, BundleTree::Item> m_items;
    QMap<QString, QString> m_companions;
};
