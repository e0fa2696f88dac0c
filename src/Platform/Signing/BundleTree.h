#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QMap>
#include <QString>

// The folders, files and links of a bundle as they lie on disk, read without following any link.
class BundleTree
{
public:
    // The folder that holds a bundle's signature, relative to the bundle.
    static const QString sealFolder;

    // What an item is on disk.
    enum class Kind
    {
        Folder,
        File,
        Link,
    };
    // One folder, file or link of the bundle.
    struct Item
    {
        Kind kind = Kind::File;
        // Files: the SHA-256 digest in hex (empty when read for the shape only), whether the owner may run the
        // file, and its size in bytes.
        QString digest;
        bool executable = false;
        qint64 size = 0;
        // Links: the target as written.
        QString target;
    };

    // Reads the bundle at bundlePath: every item outside sealFolder by its path relative to the bundle, and the
    // files in sealFolder with their contents. Refuses special files, names that are not plain UTF-8 text, links
    // that lead out of the bundle and trees too large to be a bundle, failing with why.
    Result<> read(const QString& bundlePath);
    // Reads as read() does but opens no file outside sealFolder: names, kinds, sizes and links, no digests.
    Result<> readShape(const QString& bundlePath);
    // Reads only the files in sealFolder, without following a link on the way there; no such folder reads as none.
    Result<> readSealOnly(const QString& bundlePath);

    const QMap<QString, Item>& items() const { return m_items; }
    // The files in sealFolder, by name.
    const QMap<QString, QByteArray>& sealFiles() const { return m_sealFiles; }

private:
    static Result<int> openBundle(const QString& bundlePath);
    Result<> readTree(const QString& bundlePath, bool withDigests);
    Result<> readFolder(int fd, const QString& relative, int depth);
    Result<> readSeal(int fd);
    Result<> noLinkLeavesBundle() const;
    bool resolvesInside(QStringList& at, const QString& target, int& hops) const;

    QMap<QString, Item> m_items;
    QMap<QString, QByteArray> m_sealFiles;
    bool m_withDigests = true;
};
