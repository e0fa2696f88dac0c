#include "Platform/Files/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QVariantList>

#include <fcntl.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Property lists the plugin reads are a few hundred bytes; anything far larger is not one of ours.
constexpr qint64 maximumFileSize = qint64{16} * 1024 * 1024;
constexpr int maximumDepth = 64;

QVariant toVariant(plist_t node, int depth)
{
    if (!node || depth > maximumDepth) {
        return {};
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // This libplist keeps signed integers in the same node type, as their two's complement.
        return QVariant(static_cast<qlonglong>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char* value = nullptr;
        plist_get_string_val(node, &value);
        QString text = QString::fromUtf8(value ? value : "");
        std::free(value);
        return QVariant(text);
    }
    case PLIST_DATA: {
        char* value = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &value, &length);
        QByteArray data(value, static_cast<qsizetype>(length));
        std::free(value);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // Property-list dates count from 2001-01-01.
        return QVariant(QDateTime::fromSecsSinceEpoch(978307200LL + sec, Qt::UTC).addMSecs(usec / 1000));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        for (uint32_t i = 0; i < size; ++i) {
            list << toVariant(plist_array_get_item(node, i), depth + 1);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key) {
                break;
            }
            map.insert(QString::fromUtf8(key), toVariant(value, depth + 1));
            std::free(key);
        }
        std::free(iter);
        return QVariant(map);
    }
    default:
        return {};
    }
}

// The node for a value, owned by the caller; null when the value (or one inside it) has no property-list kind.
plist_t toNode(const QVariant& value, int depth)
{
    if (depth > maximumDepth) {
        return nullptr;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), static_cast<uint64_t>(data.size()));
    }
    case QMetaType::QVariantList: {
        plist_t list = plist_new_array();
        for (const QVariant& item : value.toList()) {
            plist_t child = toNode(item, depth + 1);
            if (!child) {
                plist_free(list);
                return nullptr;
            }
            plist_array_append_item(list, child);
        }
        return list;
    }
    case QMetaType::QVariantMap: {
        plist_t map = plist_new_dict();
        const QVariantMap entries = value.toMap();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            plist_t child = toNode(it.value(), depth + 1);
            if (!child) {
                plist_free(map);
                return nullptr;
            }
            plist_dict_set_item(map, it.key().toUtf8().constData(), child);
        }
        return map;
    }
    default:
        return nullptr;
    }
}

// libplist aborts when asked for a string or key that holds a NUL, which UTF-16 text in a binary list can carry.
// Its XML rendering writes such text out whole without aborting, so a NUL there marks a list to refuse.
bool holdsNulInText(plist_t root)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    const bool found = xml && std::memchr(xml, 0, length) != nullptr;
    plist_to_xml_free(xml);
    return found;
}

} // namespace

Result<QVariantMap> PropertyList::dictionaryWithContentsOfFile(const QString& path)
{
    // Checked on the open descriptor, so nothing swapped in after the check is read. Opening does not wait for a
    // pipe's writer; only a regular file can be a property list, as devices and pipes never end or never answer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failure{QStringLiteral("cannot be opened: %1").arg(QString::fromLocal8Bit(std::strerror(errno)))};
    }
    QFile file;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        ::close(fd);
        return Failure{QStringLiteral("not a regular file")};
    }
    // Asked for no more than the file holds: a read of the whole limit allocates the limit every time.
    const QByteArray data = file.read(qBound(qint64{0}, file.size(), maximumFileSize) + 1);
    return dictionaryWithData(data);
}

Result<QVariantMap> PropertyList::dictionaryWithData(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > maximumFileSize) {
        return Failure{data.isEmpty() ? QStringLiteral("empty") : QStringLiteral("too large")};
    }
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    if (!root) {
        return Failure{QStringLiteral("not a property list")};
    }
    std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (plist_get_node_type(root) != PLIST_DICT || holdsNulInText(root)) {
        return Failure{QStringLiteral("not a dictionary of text")};
    }
    return toVariant(root, 0).toMap();
}

Result<QByteArray> PropertyList::xmlDataWithDictionary(const QVariantMap& dictionary)
{
    std::unique_ptr<void, decltype(&plist_free)> root(toNode(QVariant(dictionary), 0), &plist_free);
    if (!root) {
        return Failure{QStringLiteral("a value a property list cannot hold")};
    }
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    if (!xml) {
        return Failure{QStringLiteral("the list could not be written")};
    }
    QByteArray data(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);
    return data;
}
