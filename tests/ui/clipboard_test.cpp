// The clipboard with other programs and with ourselves: a picture another program offers as
// PNG or as a BMP file is pasted as a new layer; what we copy reads back in those forms as the
// same pixels; a layer copied here pastes where it was with its attributes; a picture makes a
// new paper of its size.
#include "replay_check.h"
#include "ui/clipboard_picture.h"
#include "window_fixture.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace qm::ui::test {

namespace {

class Clipboard : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        stroke().color = 0xC02040u;
        press(at(40, 40));
        drag(at(150, 90));
        release(at(150, 90));
    }
    void run(const char* action)
    {
        QAction* a = main().action(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        main().refreshActions();
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
    }
    // What another program puts there: one picture type only.
    static void offer(const char* mime, const QByteArray& bytes)
    {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(mime), bytes);
        QGuiApplication::clipboard()->setMimeData(data);
    }
    static QImage stripes()
    {
        QImage image(12, 6, QImage::Format_ARGB32);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x)
                image.setPixel(x, y, x % 3 ? qRgba(10 * x, 200, 30, 255) : qRgba(0, 0, 250, 128));
        return image;
    }
    static QByteArray encoded(const QImage& image, const char* format)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }
    void selectRectangle(TRect r)
    {
        TSelectShape shape;
        shape.slot = -1;
        shape.first = {r.left, r.top};
        shape.second = {r.right, r.bottom};
        ASSERT_TRUE(paper().selectShape(TFillShape::rectangle, shape, true));
    }
    QPoint viewCentre()
    {
        const TPointF c = paper().windowToPaper(window->width(), window->height(),
                                                window->width() / 2.0f, window->height() / 2.0f);
        return {int(std::lround(c.x)), int(std::lround(c.y))};
    }
};

} // namespace

TEST_F(Clipboard, PicturesFromOtherProgramsPasteAsNewLayers)
{
    // PNG with alpha, centred in the view.
    offer("image/png", encoded(stripes(), "PNG"));
    run("actLayerPasteNew");
    ASSERT_EQ(paper().layerCount(), 2);
    const QPoint c = viewCentre();
    const int left = c.x() - 6, top = c.y() - 3;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(layerPixel(left + x, top + y, 1), uint32_t(stripes().pixel(x, y)))
                << x << "," << y;
    // A 24-bit BMP file: pasted fully opaque.
    QImage opaque = stripes().convertToFormat(QImage::Format_RGB888);
    offer("image/bmp", encoded(opaque, "BMP"));
    run("actLayerPasteNew");
    ASSERT_EQ(paper().layerCount(), 3);
    EXPECT_EQ(layerPixel(left, top, 2), 0xFF0000FAu);
    EXPECT_EQ(layerPixel(left + 1, top, 2), 0xFF0AC81Eu);
    expectReplayMatches(*window);
}

TEST_F(Clipboard, WhatWeCopyReadsBackInTheFormsOthersPaste)
{
    run("actEditCopyLayer");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    for (const char* mime : {"image/png", "image/bmp"}) {
        SCOPED_TRACE(mime);
        ASSERT_TRUE(data->hasFormat(QString::fromLatin1(mime)));
        const QImage read = QImage::fromData(data->data(QString::fromLatin1(mime)));
        ASSERT_EQ(read.size(), QSize(300, 200));
        int compared = 0;
        for (int y = 0; y < 200; y += 3)
            for (int x = 0; x < 300; x += 3) {
                const uint32_t ours = layerPixel(x, y);
                if ((ours >> 24) != 255) continue; // a BMP reader may drop alpha
                EXPECT_EQ(uint32_t(read.pixel(x, y)), ours) << x << "," << y;
                ++compared;
            }
        EXPECT_GT(compared, 20);
    }
}

TEST_F(Clipboard, ALayerCopiedHerePastesInPlaceWithItsAttributes)
{
    paper().renameLayer(0, "ink", true);
    paper().setLayerMode(window->document().flow(), 0, 2, true);
    paper().setLayerOpacity(window->document().flow(), 0, 160, true);
    selectRectangle({60, 50, 120, 80});
    run("actEditCopy");
    run("actLayerPasteNew");
    ASSERT_EQ(paper().layerCount(), 2);
    // A selected part: in place, but a plain layer.
    EXPECT_EQ(layerPixel(90, 65, 1), layerPixel(90, 65, 0));
    EXPECT_EQ(paper().layer(1)->mode, 3); // normal
    EXPECT_EQ(paper().layer(1)->opacity, 255);
    // The whole layer: in place with its name, mode and opacity, above the current layer.
    paper().setCurrentLayer(window->document().flow(), 0);
    run("actEditCopyLayer");
    run("actLayerPasteNew");
    ASSERT_EQ(paper().layerCount(), 3);
    const CLayerData& pasted = *paper().layer(1);
    EXPECT_EQ(pasted.name, "ink");
    EXPECT_EQ(pasted.mode, 2);
    EXPECT_EQ(pasted.opacity, 160);
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 7)
            ASSERT_EQ(layerPixel(x, y, 1), layerPixel(x, y, 0));
    expectReplayMatches(*window);
}

TEST_F(Clipboard, APictureBecomesANewPaperOfItsSize)
{
    offer("image/png", encoded(stripes(), "PNG"));
    const int windows = int(main().drawWindows().size());
    run("actPasteNew");
    ASSERT_EQ(int(main().drawWindows().size()), windows + 1);
    TDrawWindowWidget* made = main().activeDrawWindow();
    ASSERT_NE(made, window);
    EXPECT_EQ(made->paper().width, 12);
    EXPECT_EQ(made->paper().height, 6);
    const CLayerData& layer = *made->paper().layer(0);
    EXPECT_EQ(layer.image()->GetPixelOrDefault(1 + layer.offsetX, 0 + layer.offsetY),
              uint32_t(stripes().pixel(1, 0)));
    expectReplayMatches(*made);
}

} // namespace qm::ui::test
