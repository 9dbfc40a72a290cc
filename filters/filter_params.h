// The filter numbers recorded in events and the parameters each transforming filter records.
// Angles are radians, amounts pixels unless a field says otherwise.
#pragma once

#include <cstdint>
#include <type_traits>
#include <variant>

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

using TFilterParams =
    std::variant<TBlurParams, TStrongBlurParams, TMotionBlurParams, TZoomBlurParams,
                 TSharpenParams, TStrongSharpenParams, TAdjustableSharpenParams, TLevelsParams,
                 TGammaParams, TBrightnessContrastParams, THueSaturationParams,
                 TMonochromeParams, TPosterizeParams, TNoiseParams, TMosaicParams,
                 TGaussianBlurParams, TTwistParams, TEmbossParams, TWaveParams>;

inline TFilterNumber filterNumberOf(const TFilterParams& params)
{
    return std::visit([](const auto& p) { return std::decay_t<decltype(p)>::kNumber; }, params);
}

} // namespace qm
