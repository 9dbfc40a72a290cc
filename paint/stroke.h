// The pen settings of one brush and the geometry of the stroke being drawn with it.
//
// The paper starts a stroke, feeds it points and paints each new segment by calling one of the
// walks below with the brush kind's dab routine; the walk decides where the dabs go. All stroke
// geometry is float arithmetic in a fixed order (replay must reproduce it bit for bit).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/pixel_math.h"
#include "core/rect.h"

namespace qm {

class SettingsStore;

// Brush kinds, by number.
enum class TBrushKind : uint8_t {
    pen = 0,
    wc = 1,
    blur = 2,
    eraser = 3,
    blur2 = 4,
    airbrush = 5,
    rubpen = 6,
    darken = 7,
    lighten = 8,
};
constexpr int32_t kBrushKindCount = 9;
constexpr int32_t kPenSlotCount = 5; // slots are numbered 1 … 5

// Name of a kind as used in the settings keys; nullptr outside 0 … 8.
const char* brushKindName(int32_t kind);

struct TStrokePoint {
    float x = 0.0f;
    float y = 0.0f;
    float pressure = 0.0f;
};

// The image a stroke reads at its start (the "wc" pick-up, the "rubpen" tips): 32-bit pixels
// 0xAARRGGBB, row by row, plus where the layer sits on the paper.
struct TStrokeSource {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0; // pixels per row
    int32_t offsetX = 0; // layer offset: paper point + offset = image point
    int32_t offsetY = 0;
    uint32_t fillValue = 0; // neutral colour of the layer's blend mode

    bool isValid() const { return pixels && width > 0 && height > 0 && stride >= width; }
    // The pixel at (x, y), the nearest edge pixel where (x, y) is outside.
    uint32_t pixelClamped(int32_t x, int32_t y) const;
};

// A "rubpen" tip: a square copy of the source around a centre.
struct CPenTC {
    std::vector<uint32_t> pixels; // side × side, 0xAARRGGBB
    int32_t left = 0; // top-left corner in the source image
    int32_t top = 0;
    int32_t side = 0; // 2 · (⌈radius⌉ + 3) + 1
    float centerX = 0.0f;
    float centerY = 0.0f;
    float fracX = 0.0f; // centre minus its floor
    float fracY = 0.0f;
    float radius = 0.0f;

    bool isEmpty() const { return side == 0; }
    void clear() { *this = CPenTC{}; }
};

// What the walk tells the paper about the last step (the paper keeps these for its painting).
struct TWalkTrace {
    int32_t stepAxis = 1; // 1: the walk steps along x; 0: along y
    int32_t lastStepAxis = 1;
    float lastDabX = 0.0f;
    float lastDabY = 0.0f;
};

// One dab as the walk hands it to a brush kind.
struct TDab {
    float x = 0.0f;
    float y = 0.0f;
    float radius = 0.0f;
    float alpha = 0.0f; // pressure, or 1.0 when pressure does not change the opacity
    float pressure = 0.0f;
};

// The per-segment plan both walks share; built once per segment, then stepped by additions.
struct TSegmentPlan {
    float x = 0.0f, y = 0.0f, p = 0.0f; // start of the walk
    float stepX = 0.0f, stepY = 0.0f, stepP = 0.0f;
    int32_t steps = 0; // 0: nothing to paint
    int32_t interval = 1; // K: steps between dabs
    int32_t stepAxis = 1;
    float rmin = 0.0f, range = 0.0f; // radius = rmin + range × p
    bool sizeByPressure = false;
    float inkPerStep = 0.0f; // multiplied by p at each step
};

class TStroke {
public:
    TStroke();

    // ---- settings ----
    // Every setter rejects a value that is not finite (returns false, nothing changes) and
    // otherwise returns whether the stored value changed.
    bool setOpacity(float value); // 0.01 … 1; never touches `changed`
    bool setMinSize(float value);
    bool addMinSize(float delta); // sum clamped to 0 … 100
    bool setWidth(float value); // 0.1 … 200
    bool addWidth(float delta); // 0.1 … 200
    bool setGamma(float value); // 0.01 … 6
    bool setEffect(float value);
    bool addEffect(float delta);
    bool setEnv(float value);
    bool addEnv(float delta);
    bool setSpeed(float value);
    bool addSpeed(float delta);
    bool setSpacing(float value); // 0.02 … 2; never touches `changed`
    bool setKind(int32_t value); // false for a kind outside 0 … 8
    bool setColor(uint32_t rgb);
    bool setSecondColor(uint32_t rgb);
    bool setIfSize(bool value);
    bool setIfTransparency(bool value);
    bool setIfEdge(bool value);
    // These three also re-select the brush's per-pixel routines at once.
    bool setUseTone(bool value);
    bool setUseGradation(bool value);
    bool setKeepAlpha(bool value); // never touches `changed`
    bool setAirMap(int32_t value);

    // Called whenever tone, gradation or keep-alpha changes; the brush code installs it.
    std::function<void(TStroke&)> reselectRoutines;

    // The paper's engine: the version 1.1 engine ignores opacity.
    void setLegacyEngine(bool legacy) { legacyEngine = legacy; }
    bool isLegacyEngine() const { return legacyEngine; }

    float effectiveOpacity() const;
    uint8_t opacityByte() const;
    float effectiveSpacing() const { return effectiveSpacingFor(kind); }
    float effectiveSpacingFor(int32_t forKind) const;

    // ---- stroke ----
    // Begins a stroke at a paper point. startStrokeCompat is the same with the point taken as
    // an image point (older recordings ignored the layer offset).
    void startStroke(const TStrokeSource& flow, float x, float y, float pressure);
    void startStrokeCompat(const TStrokeSource& work, float x, float y, float pressure);
    void addPoint(float x, float y, float pressure);
    // A straight line: the next segment runs from (x0, y0, p0) to (x1, y1, p1).
    void setSegment(float x0, float y0, float p0, float x1, float y1, float p1);

    // Widens the segment and stroke rectangles for the segment slot 2 → slot 1. The walks do this.
    void updateSegmentRect();
    TRect segmentRect() const;
    TRect strokeRect() const;

    // The plans of the current and the version 1.1 engine for the segment slot 2 → slot 1.
    TSegmentPlan planSegment(float offsetX, float offsetY) const;
    TSegmentPlan planSegmentLegacy() const;

    // Paints the segment slot 2 → slot 1 under the current engine (any kind), the layer at
    // (offsetX, offsetY). `dab` is called as dab(const TDab&). Returns the number of dabs.
    template <typename DabFn>
    int32_t walkSegment(float offsetX, float offsetY, TWalkTrace& trace, DabFn&& dab)
    {
        updateSegmentRect();
        return walk(planSegment(offsetX, offsetY), trace, dab);
    }
    // The version 1.1 walk: only kinds 0 … 4 paint; positions ignore the layer offset.
    template <typename DabFn>
    int32_t walkSegmentLegacy(TWalkTrace& trace, DabFn&& dab)
    {
        updateSegmentRect();
        if (kind > static_cast<uint8_t>(TBrushKind::blur2))
            return 0;
        return walk(planSegmentLegacy(), trace, dab);
    }

    // "rubpen": takes a new tip when the rounded centre moved, and returns the tip the dab
    // should use (the one before the newest), or nullptr while there is none.
    const CPenTC* updateTip(const TStrokeSource& source, float cx, float cy);

    // ---- persistence ----
    void resetToDefaults(int32_t kind);
    // False (nothing read or written) for a kind outside 0 … 8 or a slot outside 1 … 5.
    bool loadSlot(const SettingsStore& store, int32_t kind, int32_t slot);
    bool saveSlot(SettingsStore& store, int32_t kind, int32_t slot) const;
    // Copies every complete slot record of kinds 0 … 5 from the previous version's settings;
    // returns the number copied, or −1 when there are no previous settings to read.
    static int32_t importOldSettings(const SettingsStore* oldStore, SettingsStore& store);
    // "penSetting/pen1" for kind 0, slot 1.
    static std::string slotSection(int32_t kind, int32_t slot);

    // ---- fields: settings ----
    uint8_t changed = 0;
    uint32_t color = 0;
    uint32_t secondColor = 0xFFFFFF;
    int32_t layerIndex = 0;
    uint8_t kind = 0;
    float opacity = 1.0f;
    uint8_t ifSize = 0;
    uint8_t ifTransparency = 0;
    uint8_t ifEdge = 0;
    uint8_t useTone = 0;
    uint8_t useGradation = 0;
    uint8_t shapeMode = 0;
    uint8_t rawPoints = 0;
    uint8_t keepAlpha = 0;
    float minSize = 0.0f;
    float width = 0.1f;
    float gamma = 1.0f;
    float effect = 0.0f;
    float env = 0.0f;
    float speed = 0.0f;
    float spacing = 0.5f;
    int32_t airMap = 0; // airbrush pattern index

    // ---- fields: stroke state ----
    float segLeft = 0.0f, segRight = 0.0f, segTop = 0.0f, segBottom = 0.0f;
    float boxLeft = 65535.0f, boxRight = -65535.0f, boxTop = 65535.0f, boxBottom = -65535.0f;
    std::array<TStrokePoint, 8> history{}; // slot 0 is the newest
    int32_t dabCount = 0;
    int32_t strokeFormat = 2;
    int32_t lastTipX = 0, lastTipY = 0;
    uint32_t fillValue = 0;
    int32_t tipCount = -1;
    std::array<CPenTC, 2> tips{};
    int32_t stepCount = 0;
    float inkDistance = 0.0f;
    std::array<uint8_t, 3> wcPickedBytes{}; // r, g, b
    std::array<float, 3> wcPickedAverage{};
    uint32_t wcMix = 0;
    float curveExponent = 1.0f; // "darken"/"lighten": exponent of the lightness curve

private:
    void start(const TStrokeSource& source, float px, float py, float x, float y, float pressure);
    void takeTip(const TStrokeSource& source, float cx, float cy);
    // Stores the value and marks the settings changed when it differs; true then.
    template <typename T>
    bool setFlagged(T& field, T value)
    {
        if (field == value)
            return false;
        field = value;
        changed = 1;
        return true;
    }
    bool setFlag(uint8_t& field, bool value) { return setFlagged<uint8_t>(field, value ? 1 : 0); }
    void reselect()
    {
        if (reselectRoutines)
            reselectRoutines(*this);
    }

    template <typename DabFn>
    int32_t walk(const TSegmentPlan& plan, TWalkTrace& trace, DabFn& dab)
    {
        trace.stepAxis = plan.stepAxis;
        float x = plan.x, y = plan.y, p = plan.p;
        int32_t painted = 0;
        for (int32_t i = 0; i < plan.steps; ++i) {
            if (stepCount % plan.interval == 0) {
                TDab d;
                d.x = x;
                d.y = y;
                d.radius = plan.sizeByPressure ? plan.rmin + plan.range * p : width;
                d.alpha = ifTransparency ? p : 1.0f;
                d.pressure = p;
                dab(static_cast<const TDab&>(d));
                ++dabCount;
                ++painted;
            }
            trace.lastStepAxis = plan.stepAxis;
            x += plan.stepX;
            y += plan.stepY;
            trace.lastDabX = x;
            trace.lastDabY = y;
            p += plan.stepP;
            p = p < 0.0f ? 0.0f : (p > 1.0f ? 1.0f : p);
            ++stepCount;
            inkDistance += plan.inkPerStep * p;
        }
        return painted;
    }

    bool legacyEngine = false;
};

} // namespace qm
