#include "layers/layer_list_resize.h"

#include "core/debug_output.h"
#include "core/scale_image.h"
#include "layers/layer_geometry_rows.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace qm {

namespace {

// Signals a failed layer inside a builder; caught at the builder's boundary.
struct TLayerFailed {};

// An empty list like the old one: same sink, clock and name counter, the new paper size.
std::unique_ptr<CLayerMngr> emptyListLike(const CLayerMngr& layers, TPaperSize paper)
{
    auto list = std::make_unique<CLayerMngr>(&layers.messageSink(), layers.clock());
    if (!list->Construct(layers.Count()))
        throw TLayerFailed{};
    list->SetPaperSize(paper.width, paper.height);
    list->setNameCounter(layers.nameCounter());
    return list;
}

void append(CLayerMngr& list, std::unique_ptr<CLayerData> layer)
{
    if (!layer || !layer->UpdateThumbnail())
        throw TLayerFailed{};
    if (list.InsertAt(list.Count(), std::move(layer)) < 0)
        throw TLayerFailed{};
}

std::unique_ptr<CLayerMngr> finishedList(std::unique_ptr<CLayerMngr> list, const CLayerMngr& old)
{
    list->Renumber();
    list->SetCurrent(old.current());
    return list;
}

template <typename Build>
std::unique_ptr<CLayerMngr> guardedList(const char* failureText, Build&& build)
{
    try {
        if (auto list = build())
            return list;
    } catch (const TLayerFailed&) {
    } catch (const std::bad_alloc&) {
    } catch (const std::exception&) {
    }
    debugOutput(failureText);
    return nullptr;
}

bool validPaper(TPaperSize paper)
{
    return paper.width > 0 && paper.height > 0 && paper.width <= kMaxLayerSide &&
           paper.height <= kMaxLayerSide;
}

// The old image placed so that old paper position p lands on p − shift of the new paper,
// in an image of width × height whose paper origin is at (originX, originY); the rest is the
// mode's neutral colour.
std::unique_ptr<CLayerData> replaced(const CLayerData& old, TPoint shift, TPaperSize paper,
                                     int64_t width, int64_t height, int64_t originX,
                                     int64_t originY)
{
    if (width <= 0 || height <= 0 || width > kMaxLayerSide || height > kMaxLayerSide)
        throw TLayerFailed{};
    // Old image pixel (offset + p) goes to new image pixel (origin + p − shift).
    const int64_t atX = originX - int64_t(shift.x) - old.offsetX;
    const int64_t atY = originY - int64_t(shift.y) - old.offsetY;
    if (atX < -kMaxLayerSide || atX > kMaxLayerSide || atY < -kMaxLayerSide ||
        atY > kMaxLayerSide)
        throw TLayerFailed{};
    auto layer = old.CopyPart(int32_t(width), int32_t(height), TPoint{int32_t(atX), int32_t(atY)});
    if (!layer)
        throw TLayerFailed{};
    layer->offsetX = int32_t(originX);
    layer->offsetY = int32_t(originY);
    layer->paperWidth = paper.width;
    layer->paperHeight = paper.height;
    if (!layer->SizeThumbnail(CLayerData::kThumbnailBox, CLayerData::kThumbnailBox))
        throw TLayerFailed{};
    layer->image()->Optimize();
    return layer;
}

} // namespace

std::unique_ptr<CLayerMngr> makeResizeLayer(const CLayerMngr& layers, TPoint shift,
                                            TPaperSize paper)
{
    return guardedList(kResizeLayerFailedText, [&]() -> std::unique_ptr<CLayerMngr> {
        if (!validPaper(paper))
            return nullptr;
        auto list = emptyListLike(layers, paper);
        for (int32_t i = 0; i < layers.Count(); ++i) {
            const CLayerData& old = *layers.Get(i);
            auto layer = replaced(old, shift, paper, paper.width, paper.height, 0, 0);
            layer->visible = old.visible;
            layer->opacity = old.opacity;
            layer->name = old.name;
            append(*list, std::move(layer));
        }
        return finishedList(std::move(list), layers);
    });
}

std::unique_ptr<CLayerMngr> makeResizeLayerEx(const CLayerMngr& layers, TPoint shift,
                                              TPaperSize paper, bool copyAllProperties)
{
    return guardedList(kResizeLayerExFailedText, [&]() -> std::unique_ptr<CLayerMngr> {
        if (!validPaper(paper))
            return nullptr;
        auto list = emptyListLike(layers, paper);
        for (int32_t i = 0; i < layers.Count(); ++i) {
            const CLayerData& old = *layers.Get(i);
            // The old image's rectangle on the new paper, joined with the new paper.
            const int64_t imageLeft = -int64_t(old.offsetX) - shift.x;
            const int64_t imageTop = -int64_t(old.offsetY) - shift.y;
            const int64_t left = std::min<int64_t>(0, imageLeft);
            const int64_t top = std::min<int64_t>(0, imageTop);
            const int64_t right = std::max<int64_t>(paper.width, imageLeft + old.imageWidth());
            const int64_t bottom = std::max<int64_t>(paper.height, imageTop + old.imageHeight());
            auto layer = replaced(old, shift, paper, right - left, bottom - top, -left, -top);
            if (copyAllProperties)
                layer->CopyProperties(old);
            else
                layer->name = old.name;
            append(*list, std::move(layer));
        }
        return finishedList(std::move(list), layers);
    });
}

std::unique_ptr<CLayerMngr> makeZoomLayer(const CLayerMngr& layers, TPaperSize paper,
                                          TZoomKind kind)
{
    return guardedList(kZoomLayerFailedText, [&]() -> std::unique_ptr<CLayerMngr> {
        const auto kindValue = int32_t(kind);
        if (!validPaper(paper) || kindValue < 0 || kindValue > 2)
            return nullptr;
        auto list = emptyListLike(layers, paper);
        for (int32_t i = 0; i < layers.Count(); ++i) {
            const CLayerData& old = *layers.Get(i);
            const int32_t oldPaperW = layers.paperWidth() > 0 ? layers.paperWidth() : old.paperWidth;
            const int32_t oldPaperH =
                layers.paperHeight() > 0 ? layers.paperHeight() : old.paperHeight;
            if (!old.image() || oldPaperW <= 0 || oldPaperH <= 0)
                throw TLayerFailed{};
            const double fx = double(paper.width) / oldPaperW;
            const double fy = double(paper.height) / oldPaperH;
            const double w = std::floor(old.imageWidth() * fx + 0.5);
            const double h = std::floor(old.imageHeight() * fy + 0.5);
            if (!(w >= 1 && h >= 1 && w <= double(kMaxLayerSide) && h <= double(kMaxLayerSide)))
                throw TLayerFailed{};
            const auto width = int64_t(w), height = int64_t(h);
            int64_t offsetX = int64_t(std::floor(old.offsetX * fx + 0.5));
            int64_t offsetY = int64_t(std::floor(old.offsetY * fy + 0.5));
            offsetX = std::max<int64_t>(0, std::min<int64_t>(offsetX, width - paper.width));
            offsetY = std::max<int64_t>(0, std::min<int64_t>(offsetY, height - paper.height));
            auto layer = makeLayerLike(old, width, height, paper, offsetX, offsetY, false);
            if (!layer)
                throw TLayerFailed{};
            CBlockVMTC& dest = *layer->image();
            if (kind == TZoomKind::Supersample && !supersampleInto(*old.image(), dest))
                throw TLayerFailed{};
            if (kind == TZoomKind::AreaAverage &&
                !CScaleLayerImage(*old.image(), dest).Scale(old.image()->bounds(), dest.bounds()))
                throw TLayerFailed{};
            if (kind == TZoomKind::NeutralOnly) {
                // Only the name survives; the rest is what a new layer of the mode has.
                const std::string name = old.name;
                layer->visible = 1;
                layer->opacity = 255;
                layer->protectAlpha = 0;
                layer->blendNoise = 0;
                layer->blendAmount = 255;
                layer->name = name;
            }
            dest.Optimize();
            append(*list, std::move(layer));
        }
        return finishedList(std::move(list), layers);
    });
}

} // namespace qm
