#include "ui/clipboard_picture.h"

#include "ui/qt_images.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace qm::ui {

bool putPictureOnClipboard(const TMTC& picture)
{
    const QImage image = toQImage(picture, false);
    if (image.isNull()) return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

bool pictureFromClipboard(TMTC& picture)
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return false;
    picture = fromQImage(image);
    return picture.IsValid();
}

bool clipboardHasPicture()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

} // namespace qm::ui
