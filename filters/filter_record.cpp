#include "filters/filter_record.h"

#include "core/byte_io.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {
constexpr size_t kVariableHead = 50;
constexpr size_t kFloorRecord = 63;
constexpr size_t kLightRecord = 56;
} // namespace

uint8_t filterRecordCategory(uint8_t number)
{
    switch (number) {
    case 0: case 1: case 8: case 9: case 20: return 32;
    case 2: case 10: case 18: case 21: case 22: case 23: case 32: case 34: return 33;
    case 3: case 17: case 19: case 33: case 36: return 34;
    case 16: case 35: case 37: case 38: return 35;
    case 39: case 40: return 38;
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
    case 38: return number == 40 ? kVariableHead + kFloorRecord : 0;
    default: return 0;
    }
}

size_t filterRecordHeadLength(uint8_t number)
{
    return filterRecordCategory(number) == 38 ? kVariableHead : 0;
}

bool filterRecordLengthMatches(uint8_t number, std::span<const uint8_t> bytes)
{
    if (filterRecordCategory(number) == 38) {
        if (bytes.size() < kVariableHead)
            return false;
        const size_t tail = size_t(bytes[4]) | size_t(bytes[5]) << 8;
        return bytes.size() == kVariableHead + tail;
    }
    const size_t length = filterRecordLength(number);
    return length != 0 && bytes.size() == length;
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
    void operator()(const TTileParams& p) const
    {
        // Width, colour count and shape share the first field, as the cloud packs its size.
        w.u32((uint32_t(p.width) & 0xFFFFu) | (uint32_t(p.colourCount) & 0xFFu) << 16 |
              uint32_t(p.triangles ? 1 : 0) << 24);
        for (uint32_t c : p.colours)
            w.u32(c);
    }
    void operator()(const TCloudParams& p) const
    {
        w.i32(0);
        w.i32(p.contrast);
        w.u32(packSize(p.width, p.height));
        w.u32(p.seed);
        w.u32(p.background);
        w.u32(p.foreground);
    }
    void operator()(const TRockParams& p) const
    {
        w.i32(0);
        w.u32(packSize(p.contrast, p.softness));
        w.u32(packSize(p.width, p.height));
        w.u32(p.seed);
        w.u32(p.background);
        w.u32(p.foreground);
    }
    // The variable forms write their head and tail themselves (encodeFilterRecord).
    void operator()(const TLightingParams&) const {}
    void operator()(const TFloorParams&) const {}

    static uint32_t packSize(int32_t low, int32_t high)
    {
        return (uint32_t(low) & 0xFFFFu) | (uint32_t(high) & 0xFFFFu) << 16;
    }
};

void writeLight(ByteWriter& w, const TLightRecord& l)
{
    w.u8(l.kind);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.i32(l.strength);
    w.u32(l.colour);
    w.i32(l.range);
    w.f32(l.x);
    w.f32(l.y);
    w.i32(l.height);
    w.f32(l.azimuth);
    w.f32(l.elevation);
    w.i32(l.spread);
    for (int i = 0; i < 4; ++i)
        w.u32(0);
}

void writeFloor(ByteWriter& w, const TFloorParams& p)
{
    w.i32(p.cameraX);          // +0
    w.f32(p.cameraHeight);     // +4
    w.i32(p.cameraZ);          // +8
    w.f32(p.heading);          // +12
    w.f32(p.pitch);            // +16
    w.u32(0);                  // +20
    w.i32(p.screenDistance);   // +24
    w.i32(p.ceiling);          // +28
    w.i32(p.density);          // +32
    w.u32(p.farColour);        // +36
    w.u8(p.transparentColour); // +40
    w.u8(p.toHorizon);         // +41
    w.u8(0);                   // +42
    w.u8(0);                   // +43
    w.u8(p.keepLayer);         // +44
    w.u8(0);                   // +45
    w.u8(p.farDistance);       // +46
    w.u8(0);                   // +47
    w.u8(p.ceilingFromFile);   // +48
    w.u8(p.floorFromFile);     // +49
    for (size_t i = 50; i < kFloorRecord; ++i)
        w.u8(0);
}

// The tail of a variable record after its head; false for a damaged one.
bool readVariable(uint8_t number, ByteReader& head, ByteReader& r, TFilterParams& out)
{
    bool finite = true;
    const auto f32 = [&] {
        const float v = r.f32();
        finite &= std::isfinite(v);
        return v;
    };
    if (number == 39) {
        const int32_t count = head.i32();
        TLightingParams p;
        p.brightness = head.i32();
        p.ambientColour = head.u32();
        if (count < 0 || count > kMaxLights || r.remaining() != size_t(count) * kLightRecord)
            return false;
        for (int32_t i = 0; i < count; ++i) {
            TLightRecord l;
            l.kind = r.u8();
            r.skip(3);
            l.strength = r.i32();
            l.colour = r.u32();
            l.range = r.i32();
            l.x = f32();
            l.y = f32();
            l.height = r.i32();
            l.azimuth = f32();
            l.elevation = f32();
            l.spread = r.i32();
            r.skip(16);
            if (l.kind > 2)
                return false;
            p.lights.push_back(l);
        }
        out = std::move(p);
        return finite && !r.failed();
    }
    if (r.remaining() != kFloorRecord)
        return false;
    TFloorParams p;
    p.cameraX = r.i32();
    p.cameraHeight = f32();
    p.cameraZ = r.i32();
    p.heading = f32();
    p.pitch = f32();
    r.skip(4);
    p.screenDistance = r.i32();
    p.ceiling = r.i32();
    p.density = r.i32();
    p.farColour = r.u32();
    p.transparentColour = r.u8() != 0;
    p.toHorizon = r.u8() != 0;
    r.skip(2);
    p.keepLayer = r.u8() != 0;
    r.skip(1);
    p.farDistance = r.u8();
    r.skip(1);
    p.ceilingFromFile = r.u8() != 0;
    p.floorFromFile = r.u8() != 0;
    r.skip(kFloorRecord - 50);
    out = p;
    return finite && !r.failed() && r.remaining() == 0;
}

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
    case 36: {
        TTileParams p;
        const uint32_t packed = r.u32();
        p.width = int32_t(packed & 0xFFFFu);
        p.colourCount = int32_t((packed >> 16) & 0xFFu);
        const uint32_t shape = packed >> 24;
        for (uint32_t& c : p.colours)
            c = r.u32();
        if (shape > 1 || p.colourCount < 2 || p.colourCount > 3)
            return false;
        p.triangles = shape == 1;
        out = p;
        break;
    }
    case 37: {
        TCloudParams p;
        r.i32();
        p.contrast = r.i32();
        const uint32_t size = r.u32();
        p.width = int32_t(size & 0xFFFFu);
        p.height = int32_t(size >> 16);
        p.seed = r.u32();
        p.background = r.u32();
        p.foreground = r.u32();
        out = p;
        break;
    }
    case 38: {
        TRockParams p;
        r.i32();
        const uint32_t shape = r.u32();
        p.contrast = int32_t(shape & 0xFFFFu);
        p.softness = int32_t(shape >> 16);
        const uint32_t size = r.u32();
        p.width = int32_t(size & 0xFFFFu);
        p.height = int32_t(size >> 16);
        p.seed = r.u32();
        p.background = r.u32();
        p.foreground = r.u32();
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
    if (const auto* lighting = std::get_if<TLightingParams>(&record.params)) {
        // Lights past the sixteenth are never applied, so they are not recorded either.
        const size_t count = std::min(lighting->lights.size(), size_t(kMaxLights));
        w.u16(uint16_t(count * kLightRecord));
        w.u16(0);
        w.i32(int32_t(count));
        w.i32(lighting->brightness);
        w.u32(lighting->ambientColour);
        while (w.data().size() < kVariableHead)
            w.u8(0);
        for (size_t i = 0; i < count; ++i)
            writeLight(w, lighting->lights[i]);
        return w.data();
    }
    if (const auto* floor = std::get_if<TFloorParams>(&record.params)) {
        w.u16(uint16_t(kFloorRecord));
        while (w.data().size() < kVariableHead)
            w.u8(0);
        writeFloor(w, *floor);
        return w.data();
    }
    std::visit(TFieldWriter{w}, record.params);
    return w.data();
}

bool decodeFilterRecord(uint8_t number, std::span<const uint8_t> bytes, TFilterRecord& out)
{
    if (!filterRecordLengthMatches(number, bytes))
        return false;
    if (filterRecordHeadLength(number) != 0) {
        ByteReader head(bytes.first(kVariableHead));
        ByteReader tail(bytes.subspan(kVariableHead));
        TFilterRecord record;
        record.layer = head.i16();
        record.value = head.u16();
        head.skip(4);
        if (!readVariable(number, head, tail, record.params))
            return false;
        out = std::move(record);
        return true;
    }
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
