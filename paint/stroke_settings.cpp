// The pen settings of each brush kind, five slots per kind, kept in the settings store under
// "penSetting/<kind><slot>".
#include <cmath>
#include <iterator>
#include <string>

#include "files/settings_store.h"
#include "paint/stroke.h"

namespace qm {

namespace {

constexpr const char* kPenSettingSection = "penSetting";

bool validSlot(int32_t kind, int32_t slot)
{
    return brushKindName(kind) != nullptr && slot >= 1 && slot <= kPenSlotCount;
}

enum class TValueType { floating, flag, integer };

struct TSlotValue {
    const char* name;
    TValueType type;
};

// Every value a slot record holds; a record is complete only with all of them.
constexpr TSlotValue kSlotValues[] = {
    {"MIN", TValueType::floating},        {"WIDTH", TValueType::floating},
    {"GAMMA", TValueType::floating},      {"EFFECT", TValueType::floating},
    {"ENV", TValueType::floating},        {"SPEED", TValueType::floating},
    {"ifSIZE", TValueType::flag},         {"ifTRANSPARENCY", TValueType::flag},
    {"ifEDGE", TValueType::flag},         {"useTone", TValueType::flag},
    {"useGradation", TValueType::flag},   {"opaque", TValueType::floating},
    {"penSpacing", TValueType::floating}, {"airMap", TValueType::integer},
};

} // namespace

std::string TStroke::slotSection(int32_t kind, int32_t slot)
{
    const char* name = brushKindName(kind);
    if (!name)
        return {};
    return std::string(kPenSettingSection) + "/" + name + std::to_string(slot);
}

void TStroke::resetToDefaults(int32_t forKind)
{
    setMinSize(0.0f);
    setWidth(0.1f);
    setEffect(0.0f);
    setEnv(0.0f);
    setSpeed(0.0f);
    setIfSize(false);
    setIfTransparency(false);
    setIfEdge(false);
    setUseTone(false);
    setUseGradation(false);
    setGamma(1.0f);
    setOpacity(1.0f);
    setSpacing(0.5f);

    switch (static_cast<TBrushKind>(forKind)) {
    case TBrushKind::pen:
        setMinSize(75.0f);
        setWidth(1.0f);
        setIfSize(true);
        setIfTransparency(true);
        break;
    case TBrushKind::wc:
        setMinSize(33.3f);
        setWidth(16.0f);
        setEffect(65.0f);
        setEnv(40.0f);
        setSpeed(30.0f);
        setIfSize(true);
        setIfTransparency(true);
        setIfEdge(false);
        break;
    case TBrushKind::blur:
        setMinSize(100.0f);
        setWidth(12.0f);
        setEffect(10.0f);
        break;
    case TBrushKind::eraser:
        setMinSize(100.0f);
        setWidth(12.0f);
        setIfTransparency(true);
        setIfEdge(true);
        break;
    case TBrushKind::blur2:
        break;
    case TBrushKind::airbrush:
        setMinSize(60.0f);
        setWidth(30.0f);
        setIfSize(true);
        setIfTransparency(true);
        setSpacing(0.15f);
        setOpacity(0.1f);
        setAirMap(3);
        break;
    case TBrushKind::rubpen:
        setMinSize(60.0f);
        setWidth(15.0f);
        setIfTransparency(true);
        setSpacing(0.04f);
        setOpacity(0.6f);
        setAirMap(3);
        break;
    case TBrushKind::darken:
    case TBrushKind::lighten:
        setMinSize(60.0f);
        setWidth(25.0f);
        setEffect(50.0f);
        setIfSize(true);
        setIfTransparency(true);
        setSpacing(0.15f);
        setOpacity(0.2f);
        setAirMap(1);
        break;
    }
}

bool TStroke::loadSlot(const SettingsStore& store, int32_t forKind, int32_t slot)
{
    if (!validSlot(forKind, slot))
        return false;
    resetToDefaults(forKind);
    const std::string section = slotSection(forKind, slot);
    float f = 0.0f;
    bool b = false;
    int32_t i = 0;
    if (store.readFloat(section, "MIN", f))
        setMinSize(f);
    if (store.readFloat(section, "WIDTH", f))
        setWidth(f);
    // Gamma is taken as stored, without the setter's range.
    if (store.readFloat(section, "GAMMA", f) && std::isfinite(f) && gamma != f) {
        gamma = f;
        changed = 1;
    }
    if (store.readFloat(section, "EFFECT", f))
        setEffect(f);
    if (store.readFloat(section, "ENV", f))
        setEnv(f);
    if (store.readFloat(section, "SPEED", f))
        setSpeed(f);
    if (store.readBool(section, "ifSIZE", b))
        setIfSize(b);
    if (store.readBool(section, "ifTRANSPARENCY", b))
        setIfTransparency(b);
    if (store.readBool(section, "ifEDGE", b))
        setIfEdge(b);
    if (store.readBool(section, "useTone", b))
        setUseTone(b);
    if (store.readBool(section, "useGradation", b))
        setUseGradation(b);
    if (store.readFloat(section, "opaque", f))
        setOpacity(f);
    if (store.readFloat(section, "penSpacing", f))
        setSpacing(f);
    if (store.readInt(section, "airMap", i))
        setAirMap(i);
    return true;
}

bool TStroke::saveSlot(SettingsStore& store, int32_t forKind, int32_t slot) const
{
    if (!validSlot(forKind, slot))
        return false;
    const std::string section = slotSection(forKind, slot);
    bool ok = true;
    ok &= store.writeFloat(section, "MIN", minSize);
    ok &= store.writeFloat(section, "WIDTH", width);
    ok &= store.writeFloat(section, "GAMMA", gamma);
    ok &= store.writeFloat(section, "EFFECT", effect);
    ok &= store.writeFloat(section, "ENV", env);
    ok &= store.writeFloat(section, "SPEED", speed);
    ok &= store.writeBool(section, "ifSIZE", ifSize != 0);
    ok &= store.writeBool(section, "ifTRANSPARENCY", ifTransparency != 0);
    ok &= store.writeBool(section, "ifEDGE", ifEdge != 0);
    ok &= store.writeBool(section, "useTone", useTone != 0);
    ok &= store.writeBool(section, "useGradation", useGradation != 0);
    ok &= store.writeFloat(section, "opaque", effectiveOpacity());
    ok &= store.writeFloat(section, "penSpacing", effectiveSpacingFor(forKind));
    ok &= store.writeInt(section, "airMap", airMap);
    return ok;
}

int32_t TStroke::importOldSettings(const SettingsStore* oldStore, SettingsStore& store)
{
    if (!oldStore)
        return -1;
    int32_t copied = 0;
    for (int32_t k = 0; k <= static_cast<int32_t>(TBrushKind::airbrush); ++k) {
        for (int32_t slot = 1; slot <= kPenSlotCount; ++slot) {
            const std::string section = slotSection(k, slot);
            // Read the whole record first: an incomplete one is not copied at all.
            float floats[std::size(kSlotValues)] = {};
            bool flags[std::size(kSlotValues)] = {};
            int32_t ints[std::size(kSlotValues)] = {};
            bool complete = true;
            for (size_t v = 0; v < std::size(kSlotValues) && complete; ++v) {
                const TSlotValue& value = kSlotValues[v];
                switch (value.type) {
                case TValueType::floating:
                    complete = oldStore->readFloat(section, value.name, floats[v]);
                    break;
                case TValueType::flag:
                    complete = oldStore->readBool(section, value.name, flags[v]);
                    break;
                case TValueType::integer:
                    complete = oldStore->readInt(section, value.name, ints[v]);
                    break;
                }
            }
            if (!complete)
                continue;
            for (size_t v = 0; v < std::size(kSlotValues); ++v) {
                const TSlotValue& value = kSlotValues[v];
                switch (value.type) {
                case TValueType::floating:
                    store.writeFloat(section, value.name, floats[v]);
                    break;
                case TValueType::flag:
                    store.writeBool(section, value.name, flags[v]);
                    break;
                case TValueType::integer:
                    store.writeInt(section, value.name, ints[v]);
                    break;
                }
            }
            ++copied;
        }
    }
    return copied;
}

} // namespace qm
