// The path helpers on any text: results keep the platform's form and the helpers agree with each other.
#include "Platform/Files/Paths.h"

#include <QByteArrayList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// No doubled separator, and no trailing one but on the root itself.
void requireClean(const QString& path)
{
    require(!path.contains(QLatin1String("//")));
    require(path.size() <= 1 || !path.endsWith(QLatin1Char('/')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Paths hold no NUL: it separates the base, the component and the home folder.
    const QByteArrayList parts = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split(0);
    const QString base = QString::fromUtf8(parts.value(0));
    const QString component = QString::fromUtf8(parts.value(1));
    const QByteArray home = parts.value(2);

    const QString joined = Paths::appendingPathComponent(base, component);
    requireClean(joined);
    const QString parent = Paths::deletingLastPathComponent(joined);
    const QString last = Paths::lastPathComponent(joined);
    requireClean(parent);
    require(last == QLatin1String("/") || !last.contains(QLatin1Char('/')));
    // Taking a path apart and joining it again gives the path back.
    require(Paths::appendingPathComponent(parent, last) == joined);
    require(Paths::deletingLastPathComponent(base).size() <= base.size());
    Paths::lastPathComponent(base);

    qputenv("HOME", home);
    const QString homeFolder = Paths::homeDirectory();
    require(homeFolder.size() <= 1 || !homeFolder.endsWith(QLatin1Char('/')));
    requireClean(Paths::userLibraryDirectory());
    return 0;
}
