#pragma once

#include <QIcon>
#include <QString>

// Images of the running bundle's Contents/Resources folder, with their "@2x" versions for dense screens.
class ResourceImages
{
public:
    // The file "<name>.<type>" in the resources folder; empty when it is not there.
    static QString pathForResource(const QString& name, const QString& type);
    // The image with every size found; a null icon when the file is missing.
    static QIcon icon(const QString& name, const QString& type);
};
