#include "ui/platform/app_icon.h"

#include <QDirIterator>
#include <QImageReader>

namespace quillo {

const char* DesktopEntryId() { return QUILLO_APP_ID; }

QIcon AppIcon()
{
    // The resource holds the theme's folders: <size>x<size>/apps/<name>.png.
    QIcon icon;
    QDirIterator files(QStringLiteral(":/icons"), {QStringLiteral("*.png")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        icon.addFile(file, QImageReader(file).size());
    }
    return icon;
}

} // namespace quillo
