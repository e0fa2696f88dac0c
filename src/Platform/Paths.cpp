#include "Platform/Paths.h"

#include <QRegularExpression>

QString Paths::standardized(const QString& path)
{
    static const QRegularExpression repeated(QStringLiteral("/{2,}"));
    QString out = path;
    out.replace(repeated, QStringLiteral("/"));
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
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    return home.size() > 1 && home.endsWith(QLatin1Char('/')) ? standardized(home) : home;
}

QString Paths::userLibraryDirectory()
{
    return appendingPathComponent(homeDirectory(), QStringLiteral("Library"));
}
