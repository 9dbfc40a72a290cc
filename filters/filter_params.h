// The filter numbers recorded in events and the parameters each transforming filter records.
// Angles are radians, amounts pixels unless a field says otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>
#include <variant>
#include <vector>

namespace qm {

enum class TFilterNumber : uint8_t {
    Blur = 0,
    StrongBlur = 1,
    MotionBlur = 2,
    ZoomBlur = 3,
    Sharpen = 8,
    StrongSharpen = 9,
    AdjustableSharpen = 10,
    Levels = 16,
    Gamma = 17,
    BrightnessContrast = 18,
    HueSaturationLightness = 19,
    Monochrome = 20,
    Posterize = 21,
    Noise = 22,
    Mosaic = 23,
    GaussianBlur = 32,
    Twist = 33,
    Emboss = 34,
    Wave = 35,
    Tile = 36,
    Cloud = 37,
    Rock = 38,
    Lighting = 39,
    Floor = 40,
};

struct TBlurParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Blur;
};
struct TStrongBlurParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::StrongBlur;
};
struct TMotionBlurParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::MotionBlur;
    float angle = 0.0f;  // direction θ
    int32_t amount = 1;  // length d
};
struct TZoomBlurParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::ZoomBlur;
    int32_t centreX = 0, centreY = 0; // layer coordinates
    int32_t amount = 1;               // l
};
struct TSharpenParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Sharpen;
};
struct TStrongSharpenParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::StrongSharpen;
};
struct TAdjustableSharpenParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::AdjustableSharpen;
    float strength = 0.3f; // x; x <= 0 does nothing
};
struct TLevelsParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Levels;
    int32_t outputMax = 255, outputMin = 0;
    int32_t inputMax = 255, inputMid = 128, inputMin = 0;
};
struct TGammaParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Gamma;
    float blue = 1.0f, green = 1.0f, red = 1.0f; // exponents; negative ones count as 0.01
};
struct TBrightnessContrastParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::BrightnessContrast;
    float brightness = 0.0f; // v, −100 … 100
    int32_t contrast = 0;    // k, −100 … 100
};
struct THueSaturationParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::HueSaturationLightness;
    int32_t hue = 0;        // degrees added, −200 … 200
    int32_t saturation = 0; // −100 … 100
    int32_t lightness = 0;  // −100 … 100
};
struct TMonochromeParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Monochrome;
};
struct TPosterizeParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Posterize;
    int32_t levels = 3; // 2 … 254
};
struct TNoiseParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Noise;
    int32_t amount = 0;      // a: offsets drawn from [0, a) less ⌊a/2⌋
    bool monochrome = false; // one offset for all three channels
};
struct TMosaicParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Mosaic;
    int32_t flag = 0;      // recorded with the size; the blocks do not depend on it
    int32_t blockSize = 2; // n >= 2
};
struct TGaussianBlurParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::GaussianBlur;
    float radius = 1.0f; // σ; σ <= 0 copies the source
};
struct TTwistParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Twist;
    float centreFractionY = 0.5f, centreFractionX = 0.5f;
    bool centreOnly = false;
    float turns = 0.0f; // τ; 0 leaves the layer unchanged
};
struct TEmbossParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Emboss;
    float height = 1.0f;           // h
    float angle = 0.785398163f;    // φ
};
struct TWaveParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Wave;
    float phase = 0.0f;                     // φ
    float rowWaves = 1.0f, columnWaves = 1.0f;     // Nr, Nc
    float rowStrength = 10.0f, columnStrength = 10.0f; // Ar, Ac
};

// The pattern generators. Colours are 0x00RRGGBB unless a field says otherwise.
struct TTileParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Tile;
    int32_t width = 0;       // side w in pixels; 0 leaves the layer unchanged
    int32_t colourCount = 2; // 2 or 3
    bool triangles = false;  // equilateral triangles instead of squares
    // 0xAARRGGBB, the top byte the colour's opacity.
    std::array<uint32_t, 3> colours{0xFF000000u, 0xFFFFFFFFu, 0xFF808080u};
};
struct TCloudParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Cloud;
    int32_t contrast = 10;              // slider value; c = contrast / 10
    int32_t width = 20, height = 20;    // pattern size, clamped to the layer
    uint32_t seed = 0;
    uint32_t background = 0x00FFFFFFu, foreground = 0;
};
struct TRockParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Rock;
    int32_t contrast = 50;              // slider value; c = contrast / 100
    int32_t softness = 50;              // ridge half-width 2·h
    int32_t width = 20, height = 20;
    uint32_t seed = 0;
    uint32_t background = 0x00FFFFFFu, foreground = 0;
};

// One light of the lighting filter, as its dialog edits it.
struct TLightRecord {
    uint8_t kind = 0;             // 0 point light, 1 warm light, 2 spotlight
    int32_t strength = 300;       // percent
    uint32_t colour = 0x00FCF9E9u;
    int32_t range = 100;          // percent of max(W, H)
    float x = 0.5f, y = 0.5f;     // fractions of the layer's width and height
    int32_t height = 50;          // percent of max(W, H) above the picture
    float azimuth = 0.0f, elevation = 0.0f; // radians
    int32_t spread = 0;           // percent
};
// The default record of each light kind (the dialog's kind list loads it).
inline TLightRecord defaultLight(uint8_t kind)
{
    TLightRecord light;
    light.kind = kind;
    if (kind != 0) {
        light.strength = 180;
        light.range = 200;
        light.azimuth = 2.3561945f;
        light.elevation = 0.17453292f;
        light.spread = 10;
    }
    return light;
}
constexpr int32_t kMaxLights = 16;
struct TLightingParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Lighting;
    int32_t brightness = 0;              // ambient brightness, −100 … 100
    uint32_t ambientColour = 0x00FFFEC7u;
    std::vector<TLightRecord> lights;    // at most kMaxLights
};

// The floor's parameter record, field by field (names after the dialog's controls).
struct TFloorParams {
    static constexpr TFilterNumber kNumber = TFilterNumber::Floor;
    int32_t cameraX = 200;        // X + 200
    float cameraHeight = 50.0f;   // (100 − Y)·S/200, percent of max(W, H)
    int32_t cameraZ = 0;          // Z
    float heading = 0.0f;         // −(horizontal angle), radians
    float pitch = 0.0f;           // vertical angle, radians
    int32_t screenDistance = 100; // slider, percent of max(W, H)
    int32_t ceiling = 100;        // ceiling slider S, percent of max(W, H)
    int32_t density = 100;        // percent: the opacity the far colour reaches
    uint32_t farColour = 0x00FFFFFFu;
    bool transparentColour = false; // the picture's top-left colour is see-through
    bool toHorizon = false;         // also paint beyond the far distance
    bool keepLayer = false;         // paint over the layer instead of replacing it
    uint8_t farDistance = 50;       // slider 0 … 100
    bool ceilingFromFile = false;   // the ceiling picture is the first auxiliary image
    bool floorFromFile = false;     // the floor picture is the second auxiliary image
};

using TFilterParams =
    std::variant<TBlurParams, TStrongBlurParams, TMotionBlurParams, TZoomBlurParams,
                 TSharpenParams, TStrongSharpenParams, TAdjustableSharpenParams, TLevelsParams,
                 TGammaParams, TBrightnessContrastParams, THueSaturationParams,
                 TMonochromeParams, TPosterizeParams, TNoiseParams, TMosaicParams,
                 TGaussianBlurParams, TTwistParams, TEmbossParams, TWaveParams,
                 TTileParams, TCloudParams, TRockParams, TLightingParams, TFloorParams>;

inline TFilterNumber filterNumberOf(const TFilterParams& params)
{
    return std::visit([](const auto& p) { return std::decay_t<decltype(p)>::kNumber; }, params);
}

} // namespace qm
