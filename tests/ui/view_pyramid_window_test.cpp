// The window's smooth view below 100 % reads the halved pictures: they must follow the paint.
#include "window_fixture.h"

#include "core/view_render.h"

#include <vector>

namespace qm::ui::test {

using SmoothZoomedOutView = WindowFixture;

TEST_F(SmoothZoomedOutView, ShowsWhatIsPaintedAfterTheViewWasFirstDrawn)
{
    window->setAntiAlias(true);
    window->zoomBy(-4, at(150, 100)); // 33 %: squares of three paper pixels, off the halvings
    window->setRotation(20.0f);
    window->grab(); // the halvings are built from the blank paper here
    press(at(40, 100));
    for (int x = 50; x <= 260; x += 10)
        drag(at(float(x), 100 + (x % 20)));
    release(at(260, 100));
    window->setRotation(20.0f); // the whole window again, from the halvings as they are now
    const QImage shown = window->grab().toImage();

    // What a pyramid built afresh from the painted paper shows.
    TViewPyramid fresh;
    fresh.rebuild(paper().displayImage);
    const int w = window->width(), h = window->height();
    std::vector<uint32_t> expected(size_t(w) * h);
    const TPointF centre = paper().windowToPaper(w, h, w * 0.5f, h * 0.5f);
    ASSERT_LT(paper().zoomScale(), 1.0f);
    RenderRotatedView({expected.data(), w, h, w}, paper().displayImage, fresh, 0xFF808080u,
                      paper().zoomScale(), paper().rotation, {0, 0, w, h}, centre);
    int differing = 0, blue = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t e = expected[size_t(y) * w + x] & 0xFFFFFF;
            differing += (shown.pixel(x, y) & 0xFFFFFF) != e;
            blue += e == 0x0000FFu;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(blue, 50); // the stroke is there to be seen
}

} // namespace qm::ui::test
