#include "Platform/Files/SystemRoot.h"

#include "Platform/Files/Paths.h"

QString SystemRoot::path(const QString& fixedLocation)
{
    const QString root = QString::fromLocal8Bit(qgetenv("ORVO_SYSTEM_ROOT"));
    if (root.isEmpty()) {
        return fixedLocation;
    }
    return Paths::appendingPathComponent(root, fixedLocation);
}
