#include "tone/grad_mngr.h"

#include <algorithm>
#include <atomic>

namespace qm {

namespace {

int32_t nextSerial()
{
    static std::atomic<int32_t> counter{0};
    return ++counter;
}

std::unique_ptr<CGradObj> entryOf(const char* name,
                                  std::initializer_list<std::pair<uint32_t, int32_t>> stops)
{
    auto e = std::make_unique<CGradObj>();
    e->stops.name = name;
    for (const auto& [colour, length] : stops)
        e->stops.append(colour, length);
    e->stops.Normalize();
    return e;
}

} // namespace

CGradObj::CGradObj() : serial(nextSerial()) {}

void CGradObj::renewSerial()
{
    serial = nextSerial();
}

CGradMngr::CGradMngr(const TConfigSettings& settings)
{
    // Colours are 0x00BBGGRR.
    auto fixed = entryOf(kFixedGradationName, {{0x000000, kFixedOne}, {0xFFFFFF, 0}});
    fixed->options.type = uint8_t(std::clamp(settings.gradType, 0, 2));
    fixed->options.map = uint8_t(std::clamp(settings.gradMap, 0, 1));
    fixed->options.repeat = uint8_t(std::clamp(settings.gradRep, 0, 1));
    fixed->options.setCount(settings.gradRepCnt);
    fixedIndex_ = add(std::move(fixed));
    add(entryOf("no name", {{0x000000, kFixedOne}, {0xFFFFFF, 0}}));
    add(entryOf("no name", {{0x000000, kFixedOne}, {0x00FFFF, 0}}));
    add(entryOf("no name", {{0xFF0000, 0x8000}, {0x00FF00, 0x8000}, {0x0000FF, 0}}));
    add(entryOf("no name", {{0xFF0000, 21845},
                            {0xFF0000, 0},
                            {0x00FF00, 21845},
                            {0x00FF00, 0},
                            {0x0000FF, 21846},
                            {0x0000FF, 0}}));
    Select(0);
}

CGradObj* CGradMngr::entry(int32_t i)
{
    return i >= 0 && i < count() ? list_[size_t(i)].get() : nullptr;
}

int32_t CGradMngr::add(std::unique_ptr<CGradObj> e)
{
    if (!e)
        return -1;
    list_.push_back(std::move(e));
    return count() - 1;
}

void CGradMngr::rebuildWorking()
{
    const CGradObj* e = entry(current_);
    if (!e) {
        working_ = {};
        return;
    }
    working_ = e->stops.Compacted();
    workingOptions_ = e->options;
}

void CGradMngr::Select(int32_t i)
{
    current_ = list_.empty() ? -1 : std::clamp(i, 0, count() - 1);
    rebuildWorking();
}

bool CGradMngr::Remove(int32_t i)
{
    if (!entry(i) || i == fixedIndex_)
        return false;
    list_.erase(list_.begin() + i);
    if (fixedIndex_ > i)
        --fixedIndex_;
    Select(current_ > i ? current_ - 1 : current_);
    return true;
}

int32_t CGradMngr::Duplicate(int32_t i)
{
    const CGradObj* e = entry(i);
    if (!e)
        return -1;
    auto copy = std::make_unique<CGradObj>();
    copy->stops = e->stops;
    copy->options = e->options;
    list_.insert(list_.begin() + i + 1, std::move(copy));
    if (fixedIndex_ > i)
        ++fixedIndex_;
    return i + 1;
}

bool CGradMngr::ReplaceStops(int32_t i, const CColorSlotGroup& stops, bool renewSerial)
{
    CGradObj* e = entry(i);
    if (!e || !stops.CopyTo(e->stops))
        return false;
    if (renewSerial)
        e->renewSerial();
    if (i == current_)
        rebuildWorking();
    return true;
}

bool CGradMngr::SetOptions(const TGradOptions& options)
{
    CGradation check;
    if (!check.SetOptions(options.type, options.map, options.count, options.repeat))
        return false;
    workingOptions_ = options;
    if (CGradObj* e = entry(current_))
        e->options = options;
    return true;
}

void CGradMngr::StoreOptions(TConfigSettings& settings) const
{
    settings.gradType = workingOptions_.type;
    settings.gradMap = workingOptions_.map;
    settings.gradRep = workingOptions_.repeat;
    settings.gradRepCnt = workingOptions_.count;
}

void CGradMngr::setFixedColours(uint32_t second, uint32_t drawing)
{
    CGradObj* fixed = entry(fixedIndex_);
    if (!fixed || fixed->stops.stops.size() < 2)
        return;
    fixed->stops.SetStopColor(0, second & 0xFFFFFFu, false);
    fixed->stops.SetStopColor(fixed->stops.lastIndex(), drawing & 0xFFFFFFu, false);
    fixed->renewSerial();
    if (current_ == fixedIndex_)
        rebuildWorking();
}

} // namespace qm
