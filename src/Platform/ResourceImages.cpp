#include "Platform/ResourceImages.h"

#include "Platform/Bundle.h"
#include "Platform/Paths.h"

#include <QFileInfo>

namespace {

QString resourceFolderOverride;

QString resourceFolder()
{
    if (!resourceFolderOverride.isEmpty()) {
        return resourceFolderOverride;
    }
    return Paths::appendingPathComponent(Bundle::mainBundlePath(), QStringLiteral("Contents/Resources"));
}

} // namespace

QString ResourceImages::pathForResource(const QString& name, const QString& type)
{
    const QString path = Paths::appendingPathComponent(resourceFolder(), name + QLatin1Char('.') + type);
    return QFileInfo(path).isFile() ? path : QString();
}

QIcon ResourceImages::icon(const QString& name, const QString& type)
{
    const QString path = pathForResource(name, type);
    if (path.isEmpty()) {
        return {};
    }
    // addFile picks up "<name>@2x.<type>" beside the file by itself.
    QIcon icon;
    icon.addFile(path);
    return icon;
}

void ResourceImages::setResourceFolder(const QString& folder)
{
    resourceFolderOverride = folder;
}
