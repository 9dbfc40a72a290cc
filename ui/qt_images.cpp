#include "ui/qt_images.h"

#include <cstring>

namespace qm::ui {

QImage toQImage(const TMTC& picture, bool opaque)
{
    if (!picture.IsValid() || picture.width() <= 0 || picture.height() <= 0)
        return {};
    // 0xAARRGGBB in memory order B, G, R, A is Qt's 32-bit layout on little-endian machines.
    QImage image(picture.width(), picture.height(),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    for (int32_t y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        std::memcpy(row, picture.row(y), size_t(picture.width()) * 4);
        if (opaque)
            for (int32_t x = 0; x < picture.width(); ++x)
                row[x] |= 0xFF000000u;
    }
    return image;
}

TMTC fromQImage(const QImage& image)
{
    TMTC picture;
    if (image.isNull() || !picture.Resize(image.width(), image.height()))
        return picture;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int32_t y = 0; y < picture.height(); ++y)
        std::memcpy(picture.row(y), argb.constScanLine(y), size_t(picture.width()) * 4);
    return picture;
}

} // namespace qm::ui
