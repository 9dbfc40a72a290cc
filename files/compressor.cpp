#include "files/compressor.h"

#include <zstd.h>

#include <array>
#include <memory>

namespace qm {

namespace {

struct CCtxDeleter {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct DCtxDeleter {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

constexpr size_t kWorkBuffer = 64 * 1024;

// One context per thread, reused: making a context costs more than compressing a tile.
ZSTD_CCtx* compressionContext()
{
    thread_local std::unique_ptr<ZSTD_CCtx, CCtxDeleter> context(ZSTD_createCCtx());
    if (context)
        ZSTD_CCtx_reset(context.get(), ZSTD_reset_session_and_parameters);
    return context.get();
}

ZSTD_DCtx* decompressionContext()
{
    thread_local std::unique_ptr<ZSTD_DCtx, DCtxDeleter> context(ZSTD_createDCtx());
    if (context)
        ZSTD_DCtx_reset(context.get(), ZSTD_reset_session_and_parameters);
    return context.get();
}

} // namespace

size_t compressTo(std::span<const uint8_t> source, const ByteWriteFn& write, int level)
{
    ZSTD_CCtx* cctx = compressionContext();
    if (!cctx)
        return 0;
    // The pledged size puts the content size into the frame header; the checksum lets a
    // reader tell a damaged frame from a good one.
    if (ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, level)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_contentSizeFlag, 1)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1)) ||
        ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(cctx, source.size())))
        return 0;
    std::array<uint8_t, kWorkBuffer> work;
    ZSTD_inBuffer in{source.data(), source.size(), 0};
    size_t total = 0;
    for (;;) {
        ZSTD_outBuffer out{work.data(), work.size(), 0};
        const size_t remaining = ZSTD_compressStream2(cctx, &out, &in, ZSTD_e_end);
        if (ZSTD_isError(remaining))
            return 0;
        if (out.pos > 0 && !write(work.data(), out.pos))
            return 0;
        total += out.pos;
        if (remaining == 0)
            return total;
    }
}

size_t compressAppend(std::span<const uint8_t> source, std::vector<uint8_t>& out, int level)
{
    const size_t start = out.size();
    const size_t written = compressTo(
        source,
        [&out](const uint8_t* data, size_t size) {
            out.insert(out.end(), data, data + size);
            return true;
        },
        level);
    if (written == 0)
        out.resize(start);
    return written;
}

bool frameContentSize(std::span<const uint8_t> frame, uint64_t& size)
{
    const unsigned long long stated = ZSTD_getFrameContentSize(frame.data(), frame.size());
    if (stated == ZSTD_CONTENTSIZE_ERROR || stated == ZSTD_CONTENTSIZE_UNKNOWN)
        return false;
    size = stated;
    return true;
}

DecompressError decompressInto(std::span<const uint8_t> frame, std::span<uint8_t> dest)
{
    const unsigned long long stated = ZSTD_getFrameContentSize(frame.data(), frame.size());
    if (stated == ZSTD_CONTENTSIZE_ERROR)
        return DecompressError::NotAFrame;
    if (stated == ZSTD_CONTENTSIZE_UNKNOWN)
        return DecompressError::SizeUnknown;
    if (stated != dest.size())
        return DecompressError::SizeMismatch;
    const size_t frameSize = ZSTD_findFrameCompressedSize(frame.data(), frame.size());
    if (ZSTD_isError(frameSize))
        return DecompressError::NotAFrame;
    if (frameSize != frame.size())
        return DecompressError::TrailingBytes;
    ZSTD_DCtx* dctx = decompressionContext();
    if (!dctx)
        return DecompressError::Corrupt;
    const size_t got = ZSTD_decompressDCtx(dctx, dest.data(), dest.size(), frame.data(), frame.size());
    if (ZSTD_isError(got) || got != dest.size())
        return DecompressError::Corrupt;
    return DecompressError::None;
}

} // namespace qm
