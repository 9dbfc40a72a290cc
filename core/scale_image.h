// The exact area-average resampler: every destination pixel is the average of the source area
// it covers, partial pixels weighted by the part covered.
//
// Pixel formats: 32-bit 0xAARRGGBB (memory order B, G, R, A), not premultiplied, all four bytes
// averaged alike; or 8-bit single-channel values. Flat images are addressed through their row
// tables (so TChannel's bottom-up storage is fine); tiled images block by block.
//
// Geometry is 16.16 fixed point. The sums are exact integers: column weights and row weights are
// 16.16 fractions, so a channel's sum is a whole number of 2^-32 units and the stored value is
// floor(sum / area) in integers. Float sums would lose the low bits of wide areas (a white image
// scaled 6 → 5 came out 254), and replay needs the same bytes on every machine.
//
// Source and destination must be different images; the scaler borrows both and must not
// outlive them.
#pragma once

#include "core/block_vmtc.h"
#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <vector>

namespace qm {

class CScaleImage {
public:
    static constexpr int32_t kOne = 65536; // 1.0 in 16.16

    virtual ~CScaleImage() = default;
    CScaleImage(const CScaleImage&) = delete;
    CScaleImage& operator=(const CScaleImage&) = delete;

    // Area-averages the source box into the destination box. Both boxes are clipped to their
    // images first; ScaleX = source width / destination width and ScaleY likewise, in 16.16
    // (truncated). Destination pixel (i, j) averages the source rectangle starting at
    // (sourceBox.x × 65536 + (i − destBox.x) × ScaleX, likewise for y) of size ScaleX × ScaleY.
    // False, with nothing written, when a clipped box is empty, the images have changed size or
    // are the same image, or the ratio is 32768 or more (beyond 16.16); false also when a
    // destination block cannot be allocated (pixels written so far stay).
    bool Scale(TBox sourceBox, TBox destBox);

    // The area average of the source rectangle [x0, x1) × [y0, y1) (16.16) into `out`
    // (bytesPerPixel() bytes). The rectangle is clipped to the source; an axis that lies within
    // one source pixel takes that pixel alone, as does a zero-width axis inside the source.
    // False, with `out` untouched, when nothing of the rectangle lies in the source.
    bool SampleArea(uint8_t* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    int32_t bytesPerPixel() const { return bytesPerPixel_; }
    int32_t sourceWidth() const { return sourceWidth_; }
    int32_t sourceHeight() const { return sourceHeight_; }
    int32_t destWidth() const { return destWidth_; }
    int32_t destHeight() const { return destHeight_; }
    // The boxes and factors of the last Scale (after clipping).
    TBox sourceBox() const { return sourceBox_; }
    TBox destBox() const { return destBox_; }
    int32_t scaleX() const { return ScaleX_; }
    int32_t scaleY() const { return ScaleY_; }

protected:
    CScaleImage(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight,
                int32_t bytesPerPixel = 4);

    // Both images still valid, distinct and of the sizes given at construction.
    virtual bool imagesReady() const = 0;
    // The address of `count` consecutive source pixels of row y from x, either inside the image
    // or copied into `scratch` (room for `count` pixels). Valid until the next call. Requests
    // outside the source throw std::out_of_range.
    virtual const uint8_t* sourceRow(int32_t x, int32_t y, int32_t count, uint8_t* scratch) = 0;
    // Writes `count` pixels to destination row y from x; throws when that cannot be done.
    virtual void writeDestRow(int32_t x, int32_t y, int32_t count, const uint8_t* pixels) = 0;
    // Called once at the end of every Scale that got past its checks.
    virtual void scaleFinished() {}

private:
    template <int Channels>
    void scaleRows();
    template <int Channels>
    bool sampleOne(uint8_t* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    int32_t sourceWidth_ = 0;
    int32_t sourceHeight_ = 0;
    int32_t destWidth_ = 0;
    int32_t destHeight_ = 0;
    TBox sourceBox_;
    TBox destBox_;
    int32_t ScaleX_ = kOne;
    int32_t ScaleY_ = kOne;
    int32_t bytesPerPixel_ = 4;
    std::vector<uint32_t> scratch_; // room for one source row, for sourceRow
};

// The 8-bit kind: one sum per pixel instead of four.
class CScaleImage8 : public CScaleImage {
protected:
    CScaleImage8(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth,
                 int32_t destHeight)
        : CScaleImage(sourceWidth, sourceHeight, destWidth, destHeight, 1)
    {
    }
};

// Between two flat images of one depth: rows come straight from the row tables.
template <typename Image, typename Base>
class CScaleFlat : public Base {
public:
    CScaleFlat(const Image& source, Image& dest)
        : Base(source.width(), source.height(), dest.width(), dest.height()), source_(source),
          dest_(dest)
    {
    }

protected:
    bool imagesReady() const override;
    const uint8_t* sourceRow(int32_t x, int32_t y, int32_t count, uint8_t* scratch) override;
    void writeDestRow(int32_t x, int32_t y, int32_t count, const uint8_t* pixels) override;

private:
    const Image& source_;
    Image& dest_;
};

// Between two flat 32-bit images.
class CScaleImageTMTC final : public CScaleFlat<TMTC, CScaleImage> {
public:
    using CScaleFlat::CScaleFlat;
};

// Between two 8-bit channels.
class CScaleImageCH final : public CScaleFlat<TChannel, CScaleImage8> {
public:
    using CScaleFlat::CScaleFlat;
};

// Between two tiled 32-bit images. The source is read without allocating (a block without
// storage reads as its Fill, as it would once allocated), so scaling a mostly uniform layer
// costs no memory; destination blocks are allocated as they are written, and the destination
// is optimised at the end so uniform results give their storage back.
class CScaleLayerImage final : public CScaleImage {
public:
    CScaleLayerImage(const CBlockVMTC& source, CBlockVMTC& dest);

protected:
    bool imagesReady() const override;
    const uint8_t* sourceRow(int32_t x, int32_t y, int32_t count, uint8_t* scratch) override;
    void writeDestRow(int32_t x, int32_t y, int32_t count, const uint8_t* pixels) override;
    void scaleFinished() override;

private:
    const CBlockVMTC& source_;
    CBlockVMTC& dest_;
};

} // namespace qm
