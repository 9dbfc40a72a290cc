#include "filters/filter_record.h"

#include "core/byte_io.h"

#include <cmath>

namespace qm {

uint8_t filterRecordCategory(uint8_t number)
{
    switch (number) {
    case 0: case 1: case 8: case 9: case 20: return 32;
    case 2: case 10: case 18: case 21: case 22: case 23: case 32: case 34: return 33;
    case 3: case 17: case 19: case 33: return 34;
    case 16: case 35: return 35;
    default: return 0;
    }
}

size_t filterRecordLength(uint8_t number)
{
    switch (filterRecordCategory(number)) {
    case 32: return 4;
    case 33: return 12;
    case 34: return 20;
    case 35: return 28;
    default: return 0;
    }
}

namespace {

// The fields after the layer and the value, one writer per parameter kind.
struct TFieldWriter {
    ByteWriter& w;
    void operator()(const TBlurParams&) const {}
    void operator()(const TStrongBlurParams&) const {}
    void operator()(const TSharpenParams&) const {}
    void operator()(const TStrongSharpenParams&) const {}
    void operator()(const TMonochromeParams&) const {}
    void operator()(const TMotionBlurParams& p) const { w.f32(p.angle); w.i32(p.amount); }
    void operator()(const TZoomBlurParams& p) const
    {
        w.i32(p.centreX);
        w.i32(p.centreY);
        w.i32(p.amount);
        w.i32(0);
    }
    void operator()(const TAdjustableSharpenParams& p) const { w.i32(0); w.f32(p.strength); }
    void operator()(const TLevelsParams& p) const
    {
        w.i32(0);
        w.i32(p.outputMax);
        w.i32(p.outputMin);
        w.i32(p.inputMax);
        w.i32(p.inputMid);
        w.i32(p.inputMin);
    }
    void operator()(const TGammaParams& p) const
    {
        w.i32(0);
        w.f32(p.blue);
        w.f32(p.green);
        w.f32(p.red);
    }
    void operator()(const TBrightnessContrastParams& p) const
    {
        w.f32(p.brightness);
        w.i32(p.contrast);
    }
    void operator()(const THueSaturationParams& p) const
    {
        w.i32(0);
        w.i32(p.hue);
        w.i32(p.saturation);
        w.i32(p.lightness);
    }
    void operator()(const TPosterizeParams& p) const { w.i32(0); w.i32(p.levels); }
    void operator()(const TNoiseParams& p) const { w.i32(p.amount); w.i32(p.monochrome ? 1 : 0); }
    void operator()(const TMosaicParams& p) const { w.i32(p.flag); w.i32(p.blockSize); }
    void operator()(const TGaussianBlurParams& p) const { w.i32(0); w.f32(p.radius); }
    void operator()(const TTwistParams& p) const
    {
        w.f32(p.centreFractionY);
        w.f32(p.centreFractionX);
        w.i32(p.centreOnly ? 1 : 0);
        w.f32(p.turns);
    }
    void operator()(const TEmbossParams& p) const { w.f32(p.height); w.f32(p.angle); }
    void operator()(const TWaveParams& p) const
    {
        w.i32(0);
        w.f32(p.phase);
        w.f32(p.rowWaves);
        w.f32(p.columnWaves);
        w.f32(p.rowStrength);
        w.f32(p.columnStrength);
    }
};

// Reads the fields of one filter; false when a float is not finite.
bool readFields(uint8_t number, ByteReader& r, TFilterParams& out)
{
    bool finite = true;
    const auto f32 = [&] {
        const float v = r.f32();
        finite &= std::isfinite(v);
        return v;
    };
    switch (number) {
    case 0: out = TBlurParams{}; break;
    case 1: out = TStrongBlurParams{}; break;
    case 8: out = TSharpenParams{}; break;
    case 9: out = TStrongSharpenParams{}; break;
    case 20: out = TMonochromeParams{}; break;
    case 2: {
        TMotionBlurParams p;
        p.angle = f32();
        p.amount = r.i32();
        out = p;
        break;
    }
    case 3: {
        TZoomBlurParams p;
        p.centreX = r.i32();
        p.centreY = r.i32();
        p.amount = r.i32();
        r.i32();
        out = p;
        break;
    }
    case 10: {
        TAdjustableSharpenParams p;
        r.i32();
        p.strength = f32();
        out = p;
        break;
    }
    case 16: {
        TLevelsParams p;
        r.i32();
        p.outputMax = r.i32();
        p.outputMin = r.i32();
        p.inputMax = r.i32();
        p.inputMid = r.i32();
        p.inputMin = r.i32();
        out = p;
        break;
    }
    case 17: {
        TGammaParams p;
        r.i32();
        p.blue = f32();
        p.green = f32();
        p.red = f32();
        out = p;
        break;
    }
    case 18: {
        TBrightnessContrastParams p;
        p.brightness = f32();
        p.contrast = r.i32();
        out = p;
        break;
    }
    case 19: {
        THueSaturationParams p;
        r.i32();
        p.hue = r.i32();
        p.saturation = r.i32();
        p.lightness = r.i32();
        out = p;
        break;
    }
    case 21: {
        TPosterizeParams p;
        r.i32();
        p.levels = r.i32();
        out = p;
        break;
    }
    case 22: {
        TNoiseParams p;
        p.amount = r.i32();
        p.monochrome = r.i32() != 0;
        out = p;
        break;
    }
    case 23: {
        TMosaicParams p;
        p.flag = r.i32();
        p.blockSize = r.i32();
        out = p;
        break;
    }
    case 32: {
        TGaussianBlurParams p;
        r.i32();
        p.radius = f32();
        out = p;
        break;
    }
    case 33: {
        TTwistParams p;
        p.centreFractionY = f32();
        p.centreFractionX = f32();
        p.centreOnly = r.i32() != 0;
        p.turns = f32();
        out = p;
        break;
    }
    case 34: {
        TEmbossParams p;
        p.height = f32();
        p.angle = f32();
        out = p;
        break;
    }
    case 35: {
        TWaveParams p;
        r.i32();
        p.phase = f32();
        p.rowWaves = f32();
        p.columnWaves = f32();
        p.rowStrength = f32();
        p.columnStrength = f32();
        out = p;
        break;
    }
    default: return false;
    }
    return finite;
}

} // namespace

std::vector<uint8_t> encodeFilterRecord(const TFilterRecord& record)
{
    ByteWriter w;
    w.i16(record.layer);
    w.u16(record.value);
    std::visit(TFieldWriter{w}, record.params);
    return w.data();
}

bool decodeFilterRecord(uint8_t number, std::span<const uint8_t> bytes, TFilterRecord& out)
{
    const size_t length = filterRecordLength(number);
    if (length == 0 || bytes.size() != length)
        return false;
    ByteReader r(bytes);
    TFilterRecord record;
    record.layer = r.i16();
    record.value = r.u16();
    if (!readFields(number, r, record.params) || r.remaining() != 0)
        return false;
    out = record;
    return true;
}

} // namespace qm
