#include "ui/clipboard_picture.h"

#include "paperfile/clipboard_formats.h"
#include "ui/qt_images.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <span>

namespace qm::ui {

namespace {

constexpr const char* kPngMime = "image/png";
constexpr const char* kBmpMime = "image/bmp";

QByteArray bytesOf(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
}

} // namespace

bool putPictureOnClipboard(const TMTC& picture, const TRect& area,
                           const std::vector<uint8_t>& layerAttributes)
{
    const QImage image = toQImage(picture, false);
    if (image.isNull()) return false;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    auto data = std::make_unique<QMimeData>();
    data->setImageData(image); // for Qt programs, and whatever else the platform offers
    data->setData(QString::fromLatin1(kPngMime), png);
    data->setData(QString::fromLatin1(kBmpMime), bytesOf(bmpFileOfDib(clipboardDib(picture))));
    data->setData(QString::fromLatin1(kClipBoxMime), bytesOf(encodeClipBox(area)));
    if (!layerAttributes.empty())
        data->setData(QString::fromLatin1(kLayerAttributesMime), bytesOf(layerAttributes));
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

bool pictureFromClipboard(TClipboardPicture& picture)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    TClipboardPicture read;
    if (data->hasFormat(QString::fromLatin1(kPngMime))) {
        const QImage image = QImage::fromData(data->data(QString::fromLatin1(kPngMime)), "PNG");
        if (!image.isNull()) read.image = fromQImage(image);
    }
    if (!read.image.IsValid() && data->hasFormat(QString::fromLatin1(kBmpMime)))
        pictureFromBmpFile(spanOf(data->data(QString::fromLatin1(kBmpMime))), read.image);
    if (!read.image.IsValid() && data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) read.image = fromQImage(image);
    }
    if (!read.image.IsValid()) return false;
    TRect box;
    if (decodeClipBox(spanOf(data->data(QString::fromLatin1(kClipBoxMime))), box) &&
        box.width() == read.image.width() && box.height() == read.image.height())
        read.copiedAt = TPoint{box.left, box.top};
    TPlacedAttributes attributes;
    if (decodeLayerAttributes(spanOf(data->data(QString::fromLatin1(kLayerAttributesMime))),
                              attributes, read.name))
        read.attributes = attributes;
    else
        read.name.clear();
    picture = std::move(read);
    return true;
}

bool clipboardHasPicture()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasImage() || data->hasFormat(QString::fromLatin1(kPngMime)) ||
                    data->hasFormat(QString::fromLatin1(kBmpMime)));
}

} // namespace qm::ui
