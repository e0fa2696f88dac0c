#include "Platform/Signing/CodeResources.h"

#include "Platform/Files/PropertyList.h"
#include "Platform/Log/Log.h"

#include <QSet>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>

namespace {

const QString filesKey = QStringLiteral("files");
const QString linksKey = QStringLiteral("links");
const QString foldersKey = QStringLiteral("folders");
const QString companionsKey = QStringLiteral("companions");
const QString digestKey = QStringLiteral("digest");
const QString executableKey = QStringLiteral("executable");
const QString symlinkKey = QStringLiteral("symlink");
const QString sizeKey = QStringLiteral("size");

bool isKind(const QVariant& value, QMetaType::Type type)
{
    return value.typeId() == type;
}

QString kindName(BundleTree::Kind kind)
{
    switch (kind) {
    case BundleTree::Kind::Folder:
        return QStringLiteral("folder");
    case BundleTree::Kind::Link:
        return QStringLiteral("link");
    case BundleTree::Kind::File:
        break;
    }
    return QStringLiteral("file");
}

} // namespace

CodeResources::CodeResources(const BundleTree& tree) : m_items(tree.items()) {}

Result<CodeResources> CodeResources::fromData(const QByteArray& data)
{
    const auto root = PropertyList::dictionaryWithData(data);
    const QSet<QString> known{filesKey, linksKey, foldersKey, companionsKey};
    const auto invalid = [](const QString& why) {
        return Failure{QStringLiteral("the resource list is not valid: %1").arg(why)};
    };
    if (!root) {
        return invalid(QStringLiteral("not a property-list dictionary"));
    }
    for (auto it = root->begin(); it != root->end(); ++it) {
        if (!known.contains(it.key())) {
            return invalid(QStringLiteral("unknown section %1").arg(Log::outsideText(it.key())));
        }
    }
    CodeResources list;
    const auto add = [&list](const QString& path, const BundleTree::Item& item) {
        if (list.m_items.contains(path)) {
            return false;
        }
        list.m_items.insert(path, item);
        return true;
    };
    const QVariant files = root->value(filesKey);
    const QVariant links = root->value(linksKey, QVariantMap());
    const QVariant folders = root->value(foldersKey, QVariantList());
    const QVariant companions = root->value(companionsKey, QVariantMap());
    if (!isKind(files, QMetaType::QVariantMap) || !isKind(links, QMetaType::QVariantMap) ||
        !isKind(folders, QMetaType::QVariantList) || !isKind(companions, QMetaType::QVariantMap)) {
        return invalid(QStringLiteral("a section of the wrong kind"));
    }
    const QVariantMap fileMap = files.toMap();
    for (auto it = fileMap.begin(); it != fileMap.end(); ++it) {
        const QVariantMap entry = it.value().toMap();
        BundleTree::Item item;
        item.digest = entry.value(digestKey).toString();
        item.executable = entry.value(executableKey).toBool();
        item.size = entry.value(sizeKey).toLongLong();
        if (entry.size() != 3 || !isKind(entry.value(digestKey), QMetaType::QString) ||
            !isKind(entry.value(executableKey), QMetaType::Bool) ||
            !isKind(entry.value(sizeKey), QMetaType::LongLong) || item.size < 0 || !add(it.key(), item)) {
            return invalid(QStringLiteral("the entry of file %1").arg(Log::outsideText(it.key())));
        }
    }
    const QVariantMap linkMap = links.toMap();
    for (auto it = linkMap.begin(); it != linkMap.end(); ++it) {
        const QVariantMap entry = it.value().toMap();
        BundleTree::Item item;
        item.kind = BundleTree::Kind::Link;
        item.target = entry.value(symlinkKey).toString();
        if (entry.size() != 1 || !isKind(entry.value(symlinkKey), QMetaType::QString) || !add(it.key(), item)) {
            return invalid(QStringLiteral("the entry of link %1").arg(Log::outsideText(it.key())));
        }
    }
    for (const QVariant& folder : folders.toList()) {
        BundleTree::Item item;
        item.kind = BundleTree::Kind::Folder;
        if (!isKind(folder, QMetaType::QString) || !add(folder.toString(), item)) {
            return invalid(QStringLiteral("the entry of folder %1").arg(Log::outsideText(folder.toString())));
        }
    }
    const QVariantMap companionMap = companions.toMap();
    for (auto it = companionMap.begin(); it != companionMap.end(); ++it) {
        if (!isKind(it.value(), QMetaType::QString)) {
            return invalid(QStringLiteral("the entry of companion %1").arg(Log::outsideText(it.key())));
        }
        list.m_companions.insert(it.key(), it.value().toString());
    }
    return list;
}

Result<> CodeResources::addCompanion(const QString& name, const QString& digest)
{
    const bool plain =
        std::none_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    if (name.isEmpty() || !plain || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        return Failure{QStringLiteral("%1 is not a file name").arg(Log::outsideText(name))};
    }
    if (m_companions.contains(name)) {
        return Failure{QStringLiteral("two companions are named %1").arg(Log::outsideText(name))};
    }
    m_companions.insert(name, digest);
    return {};
}

QByteArray CodeResources::data() const
{
    QVariantMap files;
    QVariantMap links;
    QVariantList folders;
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        switch (it->kind) {
        case BundleTree::Kind::File:
            files.insert(it.key(), QVariantMap{{digestKey, it->digest},
                                               {executableKey, it->executable},
                                               {sizeKey, QVariant::fromValue(qlonglong{it->size})}});
            break;
        case BundleTree::Kind::Link:
            links.insert(it.key(), QVariantMap{{symlinkKey, it->target}});
            break;
        case BundleTree::Kind::Folder:
            folders.append(it.key());
            break;
        }
    }
    QVariantMap companions;
    for (auto it = m_companions.begin(); it != m_companions.end(); ++it) {
        companions.insert(it.key(), it.value());
    }
    // Only strings, booleans, lists and dictionaries: the conversion cannot fail.
    const Result<QByteArray> xml = PropertyList::xmlDataWithDictionary(
        {{filesKey, files}, {linksKey, links}, {foldersKey, folders}, {companionsKey, companions}});
    // Empty tells the signer that no list could be written.
    return xml ? *xml : QByteArray();
}

Result<> CodeResources::matchesShape(const BundleTree& tree) const
{
    const QMap<QString, BundleTree::Item>& present = tree.items();
    // Unlisted items first: one of them may be the huge file the shape check is there to refuse.
    for (auto it = present.begin(); it != present.end(); ++it) {
        if (!m_items.contains(it.key())) {
            return Failure{QStringLiteral("%1 is not in the signature").arg(Log::outsideText(it.key()))};
        }
    }
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        const auto found = present.constFind(it.key());
        if (found == present.constEnd()) {
            return Failure{QStringLiteral("%1 is missing").arg(Log::outsideText(it.key()))};
        }
        if (found->kind != it->kind) {
            return Failure{QStringLiteral("%1 is a %2 where the signature has a %3")
                               .arg(Log::outsideText(it.key()), kindName(found->kind), kindName(it->kind))};
        }
        if (found->size != it->size) {
            return Failure{QStringLiteral("%1 has been changed").arg(Log::outsideText(it.key()))};
        }
    }
    return {};
}

Result<> CodeResources::matches(const BundleTree& tree) const
{
    if (Result<> shaped = matchesShape(tree); !shaped.ok()) {
        return shaped;
    }
    const QMap<QString, BundleTree::Item>& present = tree.items();
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        const auto found = present.constFind(it.key());
        if (found->digest != it->digest) {
            return Failure{QStringLiteral("%1 has been changed").arg(Log::outsideText(it.key()))};
        }
        if (found->executable != it->executable) {
            return Failure{QStringLiteral("the executable bit of %1 has been changed").arg(Log::outsideText(it.key()))};
        }
        if (found->target != it->target) {
            return Failure{QStringLiteral("the link %1 has been changed").arg(Log::outsideText(it.key()))};
        }
    }
    return {};
}

std::optional<QString> CodeResources::companionDigest(const QString& name) const
{
    const auto found = m_companions.constFind(name);
    return found == m_companions.constEnd() ? std::nullopt : std::optional<QString>(*found);
}
