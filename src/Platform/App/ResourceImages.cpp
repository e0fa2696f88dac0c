#include "Platform/App/ResourceImages.h"

#include "Platform/Files/Bundle.h"
#include "Platform/Files/Paths.h"
#include "Platform/Log/TestHooks.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

#include <utility>

namespace {

QString resourceFolder()
{
    if (!TestHooks::resourceFolder.isEmpty()) {
        return TestHooks::resourceFolder;
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
    // Read as the type named, with "<name>@2x.<type>" beside it for dense screens. Left to detect the format, Qt
    // loads every image plug-in to ask whether it reads the file.
    QIcon icon;
    for (const auto& [file, ratio] :
         {std::pair{path, 1.0}, {pathForResource(name + QStringLiteral("@2x"), type), 2.0}}) {
        if (file.isEmpty()) {
            continue;
        }
        QImageReader reader(file, type.toLatin1());
        reader.setAutoDetectImageFormat(false);
        QPixmap pixmap = QPixmap::fromImage(reader.read());
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(ratio);
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}
