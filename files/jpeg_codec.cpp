#include "files/jpeg_codec.h"

#include "core/safe_file.h"

#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace qm {

namespace {

// libjpeg reports errors by calling error_exit; this one jumps back to the caller.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool truncated = false;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are not shown; a file that ends early is noted, since libjpeg would otherwise fill
// the missing rows with grey and call it a picture.
void noteWarnings(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(cinfo->err)->truncated = true;
}

int32_t dpiFromDensity(uint8_t unit, uint16_t density)
{
    if (unit == 1)
        return density;
    if (unit == 2)
        return int32_t(std::lround(density * 2.54));
    return 0;
}

} // namespace

PictureError readJpeg(std::span<const uint8_t> bytes, TPicture& picture)
{
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return PictureError::BadSignature;
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.emit_message = noteWarnings;
    // Nothing with a destructor may live across the jump; the picture's image is resized
    // below but outlives this function.
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::DecodeFailed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), (unsigned long)bytes.size());
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::DecodeFailed;
    }
    if (cinfo.image_width > JDIMENSION(kMaxPictureSide) ||
        cinfo.image_height > JDIMENSION(kMaxPictureSide)) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::TooLarge;
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::Unsupported;
    }
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    if (!picture.image.Resize(int32_t(cinfo.output_width), int32_t(cinfo.output_height))) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::OutOfMemory;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(picture.image.row(int32_t(cinfo.output_scanline)));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    picture.dpi = cinfo.saw_JFIF_marker ? dpiFromDensity(cinfo.density_unit, cinfo.X_density) : 0;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return errors.truncated ? PictureError::Truncated : PictureError::None;
}

std::vector<uint8_t> encodeJpeg(const TMTC& image, const TJpegOptions& options, int32_t dpi)
{
    if (!image.IsValid() || image.width() <= 0 || image.height() <= 0)
        return {};
    jpeg_compress_struct cinfo;
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.emit_message = noteWarnings;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(options.quality, 0, 100), TRUE);
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    if (options.smooth)
        cinfo.smoothing_factor = std::clamp(options.smoothing, 0, 100);
    if (dpi > 0 && dpi <= 65535) {
        cinfo.density_unit = 1;
        cinfo.X_density = cinfo.Y_density = UINT16(dpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(image.row(int32_t(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

bool saveJpeg(const TMTC& image, const std::string& path, const TJpegOptions& options,
              int32_t dpi)
{
    const std::vector<uint8_t> bytes = encodeJpeg(image, options, dpi);
    return !bytes.empty() && saveFileReplacing(path, bytes);
}

} // namespace qm
