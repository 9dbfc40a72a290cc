// Pattern objects: what painting multiplies coverage by when the tone option is on.
//
//  CPatObj    the base: origin, scale, name, serial and the 8-bit pattern tile.
//  CPat8      a bitmap pattern; lookups wrap around the tile.
//  CPat8Tone  a generated screentone: attributes plus a generator. Lookups come from the
//             generator when the pattern owns one (the working pattern); a tone in the list
//             keeps only its rendered tile, which the shared generator wrote when it was made.
//
// Pattern values are 8-bit: 255 = full ink (coverage kept), 0 = none.
#pragma once

#include "core/dib_core.h"
#include "tone/tone_attr.h"
#include "tone/tone_maker.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

enum class PatKind : uint8_t { Bitmap = 0, Tone = 1 };

// Process-wide serial numbers start at 1; each change of a pattern takes a new one.
int32_t NextPatternSerial();

struct SScaleRange {
    int32_t minimum = 100;
    int32_t maximum = 100;
};

class CPatObj {
public:
    static constexpr int32_t kDefaultScale = 100;
    static constexpr int32_t kFormat = 2;

    virtual ~CPatObj() = default;
    CPatObj(const CPatObj&) = delete;
    CPatObj& operator=(const CPatObj&) = delete;

    // The tile pixel that (x, y) wraps to; null without a tile.
    virtual uint8_t* TileAddress(int32_t x, int32_t y) const;
    // The pattern value at a point.
    virtual uint8_t ValueAt(int32_t x, int32_t y) const = 0;
    virtual TBox Size() const { return {0, 0, width_, height_}; }
    // The zoom percentages the option panel offers.
    virtual SScaleRange ScaleRange() const = 0;
    virtual void SetName(std::string name) { name_ = std::move(name); }
    // Back to an empty, unready pattern at the default origin, scale and name.
    virtual void Reset();
    // The tile becomes a copy of the channel; false (nothing changed) for an empty channel.
    virtual bool FillFromChannel(const TChannel& channel);
    // Fills dest with ValueAt (x0 + i, y0 + j).
    virtual bool DrawInto(TChannel& dest, int32_t x0, int32_t y0) const;
    // Draws the tile at (x, y) of a 32-bit picture, ink dark on white, opaque; clipped.
    virtual bool DrawAt(TMTC& dest, int32_t x, int32_t y) const;
    // A deep copy with a new serial.
    virtual std::unique_ptr<CPatObj> Clone() const = 0;

    bool ready() const { return ready_; }
    int32_t serial() const { return serial_; }
    void RenewSerial() { serial_ = NextPatternSerial(); }
    PatKind kind() const { return kind_; }
    int32_t originX() const { return originX_; }
    int32_t originY() const { return originY_; }
    void SetOrigin(int32_t x, int32_t y) { originX_ = x, originY_ = y; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t scale() const { return scale_; }
    void SetScale(int32_t scale) { scale_ = scale; }
    int32_t format() const { return format_; }
    const std::string& name() const { return name_; }
    const TChannel& channel() const { return channel_; }
    bool inverted() const { return inverted_; }
    void SetInverted(bool on) { inverted_ = on; }

protected:
    explicit CPatObj(PatKind kind) : serial_(NextPatternSerial()), kind_(kind) {}
    void copyBaseFrom(const CPatObj& other); // everything but the serial
    // The tile value at ((x mod width), (y mod height)); the tile must exist.
    uint8_t wrappedTileValue(int64_t x, int64_t y) const;

    bool ready_ = false;
    int32_t serial_ = 0;
    PatKind kind_;
    int32_t originX_ = 0;
    int32_t originY_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t scale_ = kDefaultScale;
    int32_t format_ = kFormat;
    std::string name_;
    TChannel channel_;
    bool inverted_ = false; // looked-up values are XORed with 255
};

class CPat8 : public CPatObj {
public:
    CPat8() : CPatObj(PatKind::Bitmap) {}

    // The tile value at ((x + origin x) mod width, (y + origin y) mod height), inverted when set;
    // 0 without a tile.
    uint8_t ValueAt(int32_t x, int32_t y) const override;
    // From ⌊1000 / min(width, height)⌋ (at most 100, at least 1) to 200.
    SScaleRange ScaleRange() const override;
    std::unique_ptr<CPatObj> Clone() const override;

protected:
    explicit CPat8(PatKind kind) : CPatObj(kind) {}
};

class CPat8Tone : public CPat8 {
public:
    static constexpr int32_t kTileSide = 64;

    CPat8Tone();

    const SToneAttr& attr() const { return attr_; }
    // Configures the generator (its own when it has one, else the one given) from the attributes
    // and renders a 64 × 64 tile from it. False, with nothing changed, when the tone is invalid.
    bool Configure(const SToneAttr& attr, CToneMaker& shared);
    // Takes the attributes without configuring anything (a tone read with its stored tile).
    void SetAttr(const SToneAttr& attr) { attr_ = attr; }
    // Gives the tone a generator of its own, so that ValueAt follows it exactly.
    void MakeOwnMaker();
    bool ownsMaker() const { return ownMaker_ != nullptr; }
    const CToneMaker* maker() const { return ownMaker_.get(); }

    // ToneAt (x − origin x, y − origin y) of the own generator, inverted when set; without one,
    // the stored tile at the same place.
    uint8_t ValueAt(int32_t x, int32_t y) const override;
    // From ⌊lines·350 / dpi⌋ (at most 100, at least 1) to ⌊lines·12750 / dpi⌋ in 100..200:
    // adjusted periods from 3.5 to 127.5 pixels.
    SScaleRange ScaleRange() const override;
    std::unique_ptr<CPatObj> Clone() const override;

private:
    SToneAttr attr_;
    std::unique_ptr<CToneMaker> ownMaker_;
};

} // namespace qm
