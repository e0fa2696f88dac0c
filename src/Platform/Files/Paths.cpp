#include "Platform/Files/Paths.h"

#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <vector>

namespace {

// The home folder of the user's password entry; empty when there is none.
QString passwordEntryHome()
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    for (;;) {
        struct passwd entry;
        struct passwd* found = nullptr;
        const int code = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (code == ERANGE && buffer.size() < size_t{1024} * 1024) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return code == 0 && found && found->pw_dir ? QFile::decodeName(found->pw_dir) : QString();
    }
}

} // namespace

QString Paths::standardized(const QString& path)
{
    QString out = path;
    // The log check builds its path ten times a second; most paths have no doubled slash to look for.
    if (out.contains(QLatin1String("//"))) {
        const auto doubled = [](QChar a, QChar b) {
            return a == u'/' && b == u'/';
        };
        out.erase(std::unique(out.begin(), out.end(), doubled), out.end());
    }
    while (out.size() > 1 && out.endsWith(QLatin1Char('/'))) {
        out.chop(1);
    }
    return out;
}

QString Paths::appendingPathComponent(const QString& base, const QString& component)
{
    if (base.isEmpty()) {
        return standardized(component);
    }
    if (component.isEmpty()) {
        return standardized(base);
    }
    return standardized(base + QLatin1Char('/') + component);
}

QString Paths::deletingLastPathComponent(const QString& path)
{
    const QString clean = standardized(path);
    if (clean == QLatin1String("/")) {
        return clean;
    }
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return QString(QLatin1String(""));
    }
    if (slash == 0) {
        return QStringLiteral("/");
    }
    return clean.left(slash);
}

QString Paths::lastPathComponent(const QString& path)
{
    const QString clean = standardized(path);
    if (clean == QLatin1String("/")) {
        return clean;
    }
    return clean.mid(clean.lastIndexOf(QLatin1Char('/')) + 1);
}

QString Paths::homeDirectory()
{
    QString home = QFile::decodeName(qgetenv("HOME"));
    // An empty or relative home would put every folder under / or the working folder.
    if (!home.startsWith(QLatin1Char('/'))) {
        home = passwordEntryHome();
    }
    if (!home.startsWith(QLatin1Char('/'))) {
        return QString(QLatin1String(""));
    }
    return home.size() > 1 && home.endsWith(QLatin1Char('/')) ? standardized(home) : home;
}

QString Paths::userLibraryDirectory()
{
    return appendingPathComponent(homeDirectory(), QStringLiteral("Library"));
}
