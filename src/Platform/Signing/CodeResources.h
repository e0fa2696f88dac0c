#pragma once

#include "Platform/Log/Result.h"
#include "Platform/Signing/BundleTree.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The list a bundle's signature covers (Contents/_CodeSignature/CodeResources): the bundle's folders, its files
// with their digests, sizes and executable bits, its links with their targets, and the digests of companion files that
// are delivered beside the bundle.
class CodeResources
{
public:
    // The list of what the tree holds, with no companions.
    explicit CodeResources(const BundleTree& tree);
    // The list held in data, an XML property list; fails with why when it is not a well-formed list.
    static Result<CodeResources> fromData(const QByteArray& data);

    // Adds a companion by its file name; fails when the name is not a plain file name or is listed already.
    Result<> addCompanion(const QString& name, const QString& digest);
    // The list as an XML property list.
    QByteArray data() const;

    // Whether the tree holds the listed names with their kinds and file sizes and nothing else; reads no digest, so
    // it suits a tree read for its shape only. Fails with the first way it differs, in one line.
    Result<> matchesShape(const BundleTree& tree) const;
    // Whether the tree matches the list item for item, shape first; fails with the first way it differs, in one line.
    Result<> matches(const BundleTree& tree) const;
    // The digest listed for the companion of that file name; absent, not a failure, when none is listed.
    std::optional<QString> companionDigest(const QString& name) const;

private:
    CodeResources() = default;

    QMap<QString, BundleTree::Item> m_items;
    QMap<QString, QString> m_companions;
};
