// What the window shows of the paper: the composited display, the grid, the zoom and rotation
// of the view and the title.
#include "paper/paper.h"

#include "core/image_scale.h"
#include "layers/display_refresh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qm {

namespace {

constexpr float kZoomScales[] = {0.06001f, 0.1f,  0.15f, 0.25f, 0.333f, 0.5f,
                                 0.666f,   0.75f, 1.0f,  1.25f, 1.5f,   1.75f,
                                 2.0f,     2.5f,  3.0f,  4.0f,  6.0f,   8.0f};
constexpr bool kExactZoom[] = {false, false, false, false, false, false, false, false, true,
                               false, false, false, true,  false, true,  true,  true,  true};
constexpr float kPi = 3.14159265358979323846f;

} // namespace

float TPaper::zoomScaleOf(int32_t level)
{
    if (level < kMinZoomLevel || level > kMaxZoomLevel)
        return 1.0f;
    return kZoomScales[level - kMinZoomLevel];
}

bool TPaper::isExactZoom(int32_t level)
{
    return level >= kMinZoomLevel && level <= kMaxZoomLevel && kExactZoom[level - kMinZoomLevel];
}

bool TPaper::plainCopy() const
{
    if (rotation != 0.0f || zoomLevel < 0)
        return false;
    return !window.smoothZoom || isExactZoom(zoomLevel);
}

void TPaper::setRotationDegrees(float degrees)
{
    rotationDeg = degrees;
    rotation = degrees * kPi / 180.0f;
    rotSin = std::sin(rotation);
    rotCos = std::cos(rotation);
}

void TPaper::setRotationRadians(float radians)
{
    rotation = radians;
    rotationDeg = radians * 180.0f / kPi;
    rotSin = std::sin(rotation);
    rotCos = std::cos(rotation);
}

TPointF TPaper::windowToPaper(int32_t clientWidth, int32_t clientHeight, float x, float y) const
{
    const float scale = zoomScale();
    if (rotation == 0.0f)
        return {(x - float(viewOriginX)) / scale + float(scrollX),
                (y - float(viewOriginY)) / scale + float(scrollY)};
    const float cx = (x - float(clientWidth / 2)) / scale;
    const float cy = (y - float(clientHeight / 2)) / scale;
    return {rotCenterX + rotCos * cx - rotSin * cy, rotSin * cx + rotCenterY + rotCos * cy};
}

TPaperToWindow TPaper::paperToWindowMap(int32_t clientWidth, int32_t clientHeight) const
{
    TPaperToWindow map;
    map.scale = zoomScale();
    map.rotated = rotation != 0.0f;
    map.scrollX = float(scrollX);
    map.scrollY = float(scrollY);
    map.originX = float(viewOriginX);
    map.originY = float(viewOriginY);
    map.centreX = rotCenterX;
    map.centreY = rotCenterY;
    map.sine = rotSin;
    map.cosine = rotCos;
    map.windowX = float(clientWidth / 2);
    map.windowY = float(clientHeight / 2);
    return map;
}

TPoint TPaper::paperToWindowInt(int32_t clientWidth, int32_t clientHeight, float x, float y) const
{
    const TPointF p = paperToWindow(clientWidth, clientHeight, x, y);
    return {int32_t(std::lround(p.x + 0.01f)), int32_t(std::lround(p.y + 0.01f))};
}

void TPaper::setGrid(bool shown, int32_t x, int32_t y, bool redraw)
{
    gridShown = shown ? 1 : 0;
    gridX = std::max(2, x);
    gridY = std::max(2, y);
    if (redraw) {
        updateAll();
        invalidate(false);
    }
}

void TPaper::drawGrid(TBox box)
{
    if (!gridShown || !clipBoxToSize(box, displayImage.width(), displayImage.height()))
        return;
    auto put = [](uint32_t& p) { p = (p & 0xFF000000u) | kGridColor; };
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint32_t* row = displayImage.row(y);
        if (y % gridY == 0) {
            for (int32_t x = box.x; x < box.x + box.width; ++x)
                put(row[x]);
            continue;
        }
        for (int32_t x = box.x + (gridX - box.x % gridX) % gridX; x < box.x + box.width; x += gridX)
            put(row[x]);
    }
}

TMTC TPaper::picture()
{
    TMTC picture(width, height);
    if (gridShown) {
        refreshDisplayBox(*layers, picture, picture.bounds(), paperColor,
                          isCurrentEngine() ? TLayerEngine::LayerAlpha : TLayerEngine::Legacy, {},
                          clock());
    } else {
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(displayImage.row(y), width, picture.row(y));
    }
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* row = picture.row(y);
        for (int32_t x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    return picture;
}

std::string TPaper::buildTitle() const
{
    const int percent = int(std::lround(zoomScale() * 100.0f));
    const std::string text = (locked ? std::string("<LOCKED>") : std::string()) + " \"" + title +
                             "\" w" + std::to_string(width) + " x h" + std::to_string(height) +
                             " : " + std::to_string(percent) + "%";
    return text;
}

void TPaper::updateRect(TFlowImage& flow, ViewSink* view, const TRect& rect, const TStroke* stroke)
{
    // Only the paper shows; clipping first also keeps far-off rectangles' sizes in range.
    TRect onPaper;
    if (!intersectRect(rect, {0, 0, displayImage.width(), displayImage.height()}, onPaper))
        return;
    if (displayBatches_ > 0) {
        // The stroke is composed over its whole rectangle when it ends, so nothing is lost.
        batchedDisplay_ = batchedDisplay_.isEmpty() ? onPaper : unionRect(batchedDisplay_, onPaper);
        return;
    }
    TStrokeView strokeView;
    if (stroke && window.strokeInProgress && flow.layerIndex == stroke->layerIndex) {
        const TBox inLayer{onPaper.left + flow.layerOffsetX, onPaper.top + flow.layerOffsetY,
                           onPaper.width(), onPaper.height()};
        if (CLayerData* layer = layers->Get(stroke->layerIndex))
            flow.ensure(*layer, inLayer);
        composeStroke(canvas_, *stroke, inLayer);
        strokeView = {flow.layerIndex, &flow.work};
    }
    const TBox box = toBox(onPaper);
    refreshDisplayBox(*layers, displayImage, box, paperColor,
                      isCurrentEngine() ? TLayerEngine::LayerAlpha : TLayerEngine::Legacy,
                      strokeView, clock());
    drawGrid(box);
    blitRect(view, toRect(box));
}

TPaper::TDisplayBatch::~TDisplayBatch()
{
    if (--paper_.displayBatches_ > 0 || paper_.batchedDisplay_.isEmpty())
        return;
    TRect onPaper;
    const TTC& display = paper_.displayImage;
    if (intersectRect(paper_.batchedDisplay_, {0, 0, display.width(), display.height()}, onPaper)) {
        // No stroke is drawn from the working copy here: a batch ends between events.
        const TBox box = toBox(onPaper);
        refreshDisplayBox(*paper_.layers, paper_.displayImage, box, paper_.paperColor,
                          paper_.isCurrentEngine() ? TLayerEngine::LayerAlpha
                                                   : TLayerEngine::Legacy,
                          {}, paper_.clock());
        paper_.drawGrid(box);
        paper_.blitRect(paper_.window.view(), onPaper);
    }
    paper_.batchedDisplay_ = {};
}

void TPaper::updateAll()
{
    const TBox box = displayImage.bounds();
    refreshDisplayBox(*layers, displayImage, box, paperColor,
                      isCurrentEngine() ? TLayerEngine::LayerAlpha : TLayerEngine::Legacy, {},
                      clock());
    drawGrid(box);
    blitRect(window.view(), toRect(box));
    refreshPreview(toRect(box));
}

void TPaper::refreshPreview(const TRect& onPaper)
{
    downscaleBoxChanged(previewImage, displayImage, onPaper);
    window.previewChanged(onPaper);
}

void TPaper::refreshAll(TFlowImage& flow, int32_t layerIndex, bool resetSize)
{
    if (resetSize)
        setPaperSize(flow, width, height);
    flow.forget();
    setCurrentLayer(flow, layers->IsIndex(layerIndex) ? layerIndex : layers->current());
    updateAll();
    invalidate(false);
}

void TPaper::blitRect(ViewSink* view, const TRect& rect)
{
    if (!view)
        return;
    TBox box = toBox(rect);
    if (!clipBoxToSize(box, std::min(width, displayImage.width()),
                       std::min(height, displayImage.height())))
        return;
    // The view maps paper positions to the window with the paper's zoom and rotation.
    view->present(displayImage, box, {box.x, box.y});
}

} // namespace qm
