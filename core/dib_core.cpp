#include "core/dib_core.h"

#include "core/debug_output.h"
#include "core/pixel_math.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace qm {

TPixelStorage zeroedPixelStorage(size_t bytes)
{
    auto* p = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!p)
        throw std::bad_alloc();
    return TPixelStorage(p);
}

namespace {

// Row offsets are 32-bit, so no image may hold more than 2 GiB of pixels.
bool sizeFits(int32_t width, int32_t height, int32_t bytesPerPixel, int64_t& bytes)
{
    if (width < 0 || height < 0)
        return false;
    bytes = int64_t(width) * height * bytesPerPixel;
    return bytes <= std::numeric_limits<int32_t>::max();
}

void buildRows(std::vector<int32_t>& rows, int32_t height, int32_t rowBytes, bool bottomUp)
{
    rows.resize(size_t(height));
    for (int32_t y = 0; y < height; ++y)
        rows[size_t(y)] = rowBytes * (bottomUp ? height - 1 - y : y);
}

} // namespace

void CDibCore::Init()
{
    width_ = 0;
    height_ = 0;
    bits_ = nullptr;
    rowOffsets_ = nullptr;
}

void CDibCore::Release()
{
    Init();
}

// ---- TChannel ----

void TChannel::Release()
{
    storage_.reset();
    ownRows_.clear();
    ownRows_.shrink_to_fit();
    CDibCore::Release();
}

bool TChannel::Resize(int32_t width, int32_t height)
{
    Release();
    int64_t bytes = 0;
    try {
        if (!sizeFits(width, height, 1, bytes))
            throw std::bad_alloc();
        storage_ = zeroedPixelStorage(size_t(std::max<int64_t>(bytes, 1)));
        buildRows(ownRows_, height, width, true);
    } catch (...) {
        debugOutput("TChannel::Resize: caught an exception!\n");
        Release();
        return false;
    }
    width_ = width;
    height_ = height;
    bits_ = storage_.get();
    rowOffsets_ = ownRows_.data();
    return true;
}

bool TChannel::getValue(int32_t x, int32_t y, uint8_t& value) const
{
    if (!contains(x, y) || !IsValid())
        return false;
    value = row(y)[x];
    return true;
}

bool TChannel::setValue(int32_t x, int32_t y, uint8_t value)
{
    if (!contains(x, y) || !IsValid())
        return false;
    row(y)[x] = value;
    return true;
}

bool TChannel::blend(int32_t x, int32_t y, uint8_t value, uint8_t alpha)
{
    if (!contains(x, y) || !IsValid())
        return false;
    Blend8(row(y) + x, value, alpha);
    return true;
}

// ---- TMTC ----

void TMTC::Release()
{
    storage_.reset();
    storageBytes_ = 0;
    ownRows_.clear();
    ownRows_.shrink_to_fit();
    CDibCore::Release();
}

bool TMTC::allocate(int32_t width, int32_t height, bool bottomUp)
{
    int64_t bytes = 0;
    try {
        if (!sizeFits(width, height, 4, bytes))
            throw std::bad_alloc();
        // The same byte size keeps the old buffer and its contents.
        if (!storage_ || bytes != storageBytes_) {
            storage_.reset();
            storage_ = zeroedPixelStorage(size_t(std::max<int64_t>(bytes, 4)));
            storageBytes_ = bytes;
        }
        buildRows(ownRows_, height, width * 4, bottomUp);
    } catch (...) {
        Release();
        return false;
    }
    width_ = width;
    height_ = height;
    bits_ = storage_.get();
    rowOffsets_ = ownRows_.data();
    return true;
}

bool TMTC::Resize(int32_t width, int32_t height)
{
    if (IsValid() && width == width_ && height == height_)
        return true;
    if (!allocate(width, height, false)) {
        debugOutput("TMTC::Resize: caught an exception!\n");
        return false;
    }
    return true;
}

bool TMTC::loadBitmap(const uint8_t* data, int32_t width, int32_t height, int32_t stride)
{
    if (data == nullptr || stride < width * 4 || !Resize(width, height))
        return false;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* dst = row(y);
        std::memcpy(dst, data + int64_t(y) * stride, size_t(width) * 4);
        for (int32_t x = 0; x < width; ++x)
            dst[x] |= 0xFF000000u;
    }
    return true;
}

bool TMTC::getPixel(int32_t x, int32_t y, uint32_t& value) const
{
    if (!contains(x, y) || !IsValid())
        return false;
    value = row(y)[x];
    return true;
}

bool TMTC::setPixel(int32_t x, int32_t y, uint32_t value)
{
    if (!contains(x, y) || !IsValid())
        return false;
    row(y)[x] = value;
    return true;
}

uint32_t TMTC::getPixelClamped(int32_t x, int32_t y) const
{
    if (!IsValid() || width_ <= 0 || height_ <= 0)
        return 0;
    return row(std::clamp(y, 0, height_ - 1))[std::clamp(x, 0, width_ - 1)];
}

uint32_t TMTC::getLumaClamped(int32_t x, int32_t y) const
{
    return Luma(getPixelClamped(x, y));
}

bool TMTC::addToSums(int32_t x, int32_t y, uint32_t& sumB, uint32_t& sumG, uint32_t& sumR) const
{
    if (!contains(x, y) || !IsValid())
        return false;
    const uint32_t p = row(y)[x];
    sumB += p & 0xFF;
    sumG += (p >> 8) & 0xFF;
    sumR += (p >> 16) & 0xFF;
    return true;
}

bool TMTC::blendHalf(int32_t x, int32_t y, uint32_t colour, uint32_t alpha)
{
    if (!contains(x, y) || !IsValid())
        return false;
    Blend32Half(row(y) + x, colour, alpha);
    return true;
}

bool TMTC::paintNormal(int32_t x, int32_t y, uint32_t colour, uint32_t alpha)
{
    if (!contains(x, y) || !IsValid())
        return false;
    PaintNormal(row(y) + x, colour, alpha);
    return true;
}

// ---- TTC ----

bool TTC::Resize(int32_t width, int32_t height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (IsValid() && width == width_ && height == height_)
        return true;
    if (!allocate(width, height, true)) {
        debugOutput("TTC::Resize: caught an exception!\n");
        return false;
    }
    return true;
}

// ---- views ----

void TVMTC::attach(uint8_t* data, const int32_t* rows, int32_t width, int32_t height,
                   const TBlockInfo* block)
{
    width_ = width;
    height_ = height;
    bits_ = data;
    rowOffsets_ = rows;
    block_ = block;
}

void TVMTC::Release()
{
    CDibCore::Release(); // a view forgets; the tiled image owns the storage
}

void TVChannel::attach(uint8_t* data, const int32_t* rows, int32_t width, int32_t height,
                       const TBlockInfo* block)
{
    width_ = width;
    height_ = height;
    bits_ = data;
    rowOffsets_ = rows;
    block_ = block;
}

void TVChannel::Release()
{
    CDibCore::Release();
}

} // namespace qm
