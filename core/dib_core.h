// Plain raster images.
//
//  CDibCore   abstract base: size, pixel storage and a row-offset table. Pixel (x, y) lies at
//             Bits + RowOffsets[y] + x × BytesPerPixel; row 0 is always the top row of the
//             picture, whatever the storage order.
//  TChannel   8-bit, heap, bottom-up rows without padding (RowStep −width).
//  TMTC       32-bit BGRA (0xAARRGGBB), heap, top-down (RowStep +width).
//  TTC        32-bit BGRA, bottom-up: the displayable picture. It is shown by handing
//             rectangles to a ViewSink; never smaller than 1 × 1.
//  TVMTC,     views onto one block of a tiled image: they own nothing; their row table is the
//  TVChannel  tiled image's shared one (top-down), their storage the block's.
//
// Every image starts zeroed: no operation ever reads uninitialised pixels.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace qm {

// Zeroed pixel memory from calloc: large images get the system's zero pages, touched only
// where they are written, instead of a pass that clears them first.
struct TFreeStorage {
    void operator()(uint8_t* p) const { std::free(p); }
};
using TPixelStorage = std::unique_ptr<uint8_t[], TFreeStorage>;
TPixelStorage zeroedPixelStorage(size_t bytes); // throws std::bad_alloc

struct TBlockInfo;

class CDibCore {
public:
    CDibCore() { Init(); }
    virtual ~CDibCore() = default;
    CDibCore(const CDibCore&) = delete;
    CDibCore& operator=(const CDibCore&) = delete;

    void Init();
    // Frees the storage (owners) or forgets it (views); the size becomes 0 × 0.
    virtual void Release();
    virtual void Clear() { Release(); }
    virtual bool IsValid() const { return bits_ != nullptr && rowOffsets_ != nullptr; }
    virtual bool Resize(int32_t width, int32_t height) = 0;
    virtual int64_t ByteSize() const = 0;
    virtual int32_t BytesPerPixel() const = 0;
    // Pixels from the start of row y to the start of row y + 1; positive means top-down.
    virtual int32_t RowStep() const = 0;
    // No bounds check.
    virtual uint8_t* PixelAddress(int32_t x, int32_t y) const
    {
        return bits_ + rowOffsets_[y] + x * BytesPerPixel();
    }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint8_t* bits() const { return bits_; }
    const int32_t* rowOffsets() const { return rowOffsets_; }
    uint8_t* rowBytes(int32_t y) const { return bits_ + rowOffsets_[y]; }
    bool contains(int32_t x, int32_t y) const
    {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    TBox bounds() const { return {0, 0, width_, height_}; }

protected:
    // Moving hands the storage over; the source is left empty. Only owners expose it.
    CDibCore(CDibCore&& other) noexcept { takeFrom(other); }
    CDibCore& operator=(CDibCore&& other) noexcept
    {
        takeFrom(other);
        return *this;
    }
    void takeFrom(CDibCore& other) noexcept
    {
        width_ = other.width_;
        height_ = other.height_;
        bits_ = other.bits_;
        rowOffsets_ = other.rowOffsets_;
        other.Init();
    }

    int32_t width_ = 0;
    int32_t height_ = 0;
    uint8_t* bits_ = nullptr;
    const int32_t* rowOffsets_ = nullptr;
};

class TChannel : public CDibCore {
public:
    TChannel() = default;
    TChannel(int32_t width, int32_t height) { Resize(width, height); }
    TChannel(TChannel&&) noexcept = default; // vectors and unique_ptrs keep their buffers
    TChannel& operator=(TChannel&&) noexcept = default;

    void Release() override;
    bool Resize(int32_t width, int32_t height) override;
    int64_t ByteSize() const override { return int64_t(width_) * height_; }
    int32_t BytesPerPixel() const override { return 1; }
    int32_t RowStep() const override { return -width_; }

    uint8_t* row(int32_t y) const { return bits_ + rowOffsets_[y]; }

    // Bounds-checked pixel access: false and nothing done outside the image.
    bool getValue(int32_t x, int32_t y, uint8_t& value) const;
    bool setValue(int32_t x, int32_t y, uint8_t value);
    bool blend(int32_t x, int32_t y, uint8_t value, uint8_t alpha); // through Blend8

protected:
    TPixelStorage storage_;
    std::vector<int32_t> ownRows_;
};

class TMTC : public CDibCore {
public:
    TMTC() = default;
    TMTC(int32_t width, int32_t height) { Resize(width, height); }
    TMTC(TMTC&&) noexcept = default; // vectors and unique_ptrs keep their buffers
    TMTC& operator=(TMTC&&) noexcept = default;

    void Release() override;
    // Keeps the old pixel buffer (contents and all) when the byte size does not change.
    bool Resize(int32_t width, int32_t height) override;
    int64_t ByteSize() const override { return int64_t(width_) * height_ * 4; }
    int32_t BytesPerPixel() const override { return 4; }
    int32_t RowStep() const override { return width_; }

    uint32_t* row(int32_t y) const { return reinterpret_cast<uint32_t*>(bits_ + rowOffsets_[y]); }
    uint32_t pixel(int32_t x, int32_t y) const { return row(y)[x]; } // unchecked

    // Resizes to the bitmap and copies it (rows of 4-byte B, G, R, X pixels at the given
    // stride); every alpha byte becomes 255.
    bool loadBitmap(const uint8_t* data, int32_t width, int32_t height, int32_t stride);

    // Bounds-checked pixel access.
    bool getPixel(int32_t x, int32_t y, uint32_t& value) const;
    bool setPixel(int32_t x, int32_t y, uint32_t value);
    uint32_t getPixelClamped(int32_t x, int32_t y) const;
    uint32_t getLumaClamped(int32_t x, int32_t y) const;
    // Adds the pixel's blue, green and red to running sums (used by the box filters).
    bool addToSums(int32_t x, int32_t y, uint32_t& sumB, uint32_t& sumG, uint32_t& sumR) const;
    bool blendHalf(int32_t x, int32_t y, uint32_t colour, uint32_t alpha);   // Blend32Half
    bool paintNormal(int32_t x, int32_t y, uint32_t colour, uint32_t alpha); // PaintNormal

protected:
    bool allocate(int32_t width, int32_t height, bool bottomUp);
    TPixelStorage storage_;
    int64_t storageBytes_ = 0;
    std::vector<int32_t> ownRows_;
};

class TTC : public TMTC {
public:
    TTC() = default;
    TTC(int32_t width, int32_t height) { Resize(width, height); }
    TTC(TTC&&) noexcept = default;
    TTC& operator=(TTC&&) noexcept = default;

    // Sizes below 1 are raised to 1, so the picture can always be shown.
    bool Resize(int32_t width, int32_t height) override;
    int32_t RowStep() const override { return -width_; }
};

class TVMTC : public TMTC {
public:
    // Views the storage of one block. rows is the tiled image's shared table.
    void attach(uint8_t* data, const int32_t* rows, int32_t width, int32_t height,
                const TBlockInfo* block);
    void Release() override;
    bool Resize(int32_t, int32_t) override { return false; }
    int64_t ByteSize() const override { return int64_t(width_) * height_ * 4; }
    int32_t RowStep() const override { return width_; }
    const TBlockInfo* block() const { return block_; }

private:
    const TBlockInfo* block_ = nullptr;
};

class TVChannel : public TChannel {
public:
    void attach(uint8_t* data, const int32_t* rows, int32_t width, int32_t height,
                const TBlockInfo* block);
    void Release() override;
    bool Resize(int32_t, int32_t) override { return false; }
    int32_t RowStep() const override { return width_; }
    const TBlockInfo* block() const { return block_; }

private:
    const TBlockInfo* block_ = nullptr;
};

} // namespace qm
