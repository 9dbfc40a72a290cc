// A paper for undo tests: a layer list, a paper colour, a mask list double, and the edits a
// paper makes, each recorded before (or, for structure, after) the change as the paper does.
#pragma once

#include "layers/layer_merge.h"
#include "undo/undo_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace qm::test {

class TestMask : public UndoMaskObject {
public:
    explicit TestMask(int32_t serial) : serial(serial) {}
    int64_t memoryUsed() const override { return 100; }
    std::unique_ptr<UndoMaskObject> clone() const override
    {
        return std::make_unique<TestMask>(*this);
    }
    int32_t serial;
    int32_t x = 0, y = 0;
    int32_t inverted = 0;
    std::string name;
};

class TestMasks : public UndoMaskTarget {
public:
    std::vector<std::unique_ptr<UndoMaskObject>> list;
    int32_t currentIndex = -1;
    int32_t flags[2] = {0, 0};

    TestMask* at(int32_t i) const
    {
        return i >= 0 && i < int32_t(list.size()) ? static_cast<TestMask*>(list[size_t(i)].get())
                                                  : nullptr;
    }
    int32_t count() const override { return int32_t(list.size()); }
    int32_t serialAt(int32_t i) const override { return at(i) ? at(i)->serial : -1; }
    const UndoMaskObject* maskAt(int32_t i) const override { return at(i); }
    int32_t indexOfSerial(int32_t serial) const override
    {
        for (int32_t i = 0; i < count(); ++i)
            if (at(i)->serial == serial)
                return i;
        return -1;
    }
    std::unique_ptr<UndoMaskObject> extract(int32_t i) override
    {
        if (!at(i))
            return nullptr;
        auto m = std::move(list[size_t(i)]);
        list.erase(list.begin() + i);
        return m;
    }
    bool insert(int32_t i, std::unique_ptr<UndoMaskObject>& mask) override
    {
        if (!mask || i < 0 || i > count())
            return false;
        list.insert(list.begin() + i, std::move(mask));
        return true;
    }
    std::unique_ptr<UndoMaskObject> put(int32_t i, std::unique_ptr<UndoMaskObject>& mask) override
    {
        if (!at(i) || !mask)
            return nullptr;
        std::swap(list[size_t(i)], mask);
        return std::move(mask);
    }
    int32_t current() const override { return currentIndex; }
    void setCurrent(int32_t i) override { currentIndex = i; }
    bool move(int32_t to, int32_t from) override
    {
        auto m = extract(from);
        return m && insert(to, m);
    }
    bool reapply(int32_t i, int32_t) override { return at(i) && (at(i)->inverted ^= 1, true); }
    bool offset(int32_t i, int32_t dx, int32_t dy) override
    {
        if (!at(i))
            return false;
        // As the mask list does: moving a mask right by dx lowers its offset by dx.
        at(i)->x -= dx;
        at(i)->y -= dy;
        return true;
    }
    void selectionFlags(int32_t& a, int32_t& b) const override
    {
        a = flags[0];
        b = flags[1];
    }
    void setSelectionFlags(int32_t a, int32_t b) override
    {
        flags[0] = a;
        flags[1] = b;
    }
    std::string name(int32_t i) const override { return at(i) ? at(i)->name : ""; }
    bool setName(int32_t i, const std::string& n) override { return at(i) && (at(i)->name = n, true); }
};

class TestPaper : public UndoPaper {
public:
    explicit TestPaper(int32_t width = 64, int32_t height = 48) : width(width), height(height)
    {
        list = std::make_unique<CLayerMngr>(&messages);
        list->SetPaperSize(width, height);
    }
    uint32_t paperColour() const override { return colour; }
    void setPaperColour(uint32_t c) override { colour = c; }
    void toggleTransform(int32_t operation) override { transforms.push_back(operation); }
    std::unique_ptr<CLayerMngr> swapLayerList(std::unique_ptr<CLayerMngr> layers) override
    {
        std::swap(layers, list);
        return layers;
    }
    std::unique_ptr<UndoMaskList> swapMaskList(std::unique_ptr<UndoMaskList> m) override
    {
        std::swap(m, maskList);
        return m;
    }
    CLayerMngr& layerList() override { return *list; }
    TPoint paperSize() const override { return {width, height}; }
    void setPaperSize(int32_t w, int32_t h) override
    {
        width = w;
        height = h;
    }
    void shiftView(int32_t dx, int32_t dy) override
    {
        viewX += dx;
        viewY += dy;
    }

    CollectingMessageSink messages;
    std::unique_ptr<CLayerMngr> list;
    std::unique_ptr<UndoMaskList> maskList;
    uint32_t colour = 0x00FFFFFF;
    std::vector<int32_t> transforms;
    int32_t width, height, viewX = 0, viewY = 0;
};

// Everything about a layer list that undo must bring back.
struct LayerState {
    int32_t id;
    std::string name;
    uint8_t opacity, mode, visible, protectAlpha, blendNoise, blendAmount;
    int32_t offsetX, offsetY, width, height;
    std::vector<uint32_t> pixels;
    friend bool operator==(const LayerState&, const LayerState&) = default;
};

inline std::vector<LayerState> stateOf(const CLayerMngr& layers)
{
    std::vector<LayerState> state;
    for (int32_t i = 0; i < layers.Count(); ++i) {
        const CLayerData& l = *layers.Get(i);
        LayerState s{l.id, l.name, l.opacity, l.mode, l.visible, l.protectAlpha, l.blendNoise,
                     l.blendAmount, l.offsetX, l.offsetY, l.imageWidth(), l.imageHeight(), {}};
        for (int32_t y = 0; y < l.imageHeight(); ++y)
            for (int32_t x = 0; x < l.imageWidth(); ++x)
                s.pixels.push_back(l.image()->GetPixel(x, y));
        state.push_back(std::move(s));
    }
    return state;
}

} // namespace qm::test
