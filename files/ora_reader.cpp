#include "files/ora_reader.h"

#include "files/ora_stack.h"
#include "files/ora_zip.h"
#include "files/picture.h"
#include "files/png_codec.h"

#include <png.h>

#include <cstring>
#include <new>

namespace qm {
namespace {

constexpr size_t kMaxStackBytes = size_t(16) << 20;
// A PNG of the largest side holds at most 30000² pixels of 16-bit RGBA plus filter bytes;
// nothing larger can be a picture we accept.
constexpr size_t kMaxPngBytes = size_t(1) << 32;
// Deflate packs at most about 1032 bytes into one, and a 1-bit picture widens 32 times to
// our pixels: a PNG whose stated size needs more than this per byte of file is not genuine.
constexpr uint64_t kMaxPixelBytesPerPngByte = 1032ull * 32;

OraError fromZip(OraZipStatus status, OraError missing)
{
    switch (status) {
    case OraZipStatus::Ok:
        return OraError::None;
    case OraZipStatus::Missing:
        return missing;
    case OraZipStatus::TooLarge:
        return OraError::TooLarge;
    case OraZipStatus::Damaged:
        return OraError::Damaged;
    }
    return OraError::Damaged;
}

// The stated size of a PNG, through libpng's header read, so that no pixel buffer is made
// for a size the file could not hold.
bool pngSize(const std::vector<uint8_t>& bytes, int32_t& width, int32_t& height)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (bytes.empty() || !png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return false;
    const bool ok = png.width >= 1 && png.height >= 1 && png.width <= uint32_t(kOraMaxSide) &&
                    png.height <= uint32_t(kOraMaxSide);
    width = int32_t(png.width);
    height = int32_t(png.height);
    png_image_free(&png);
    return ok;
}

// Decodes one PNG entry; `missing` is the error for an absent entry (None: it is optional),
// `bad` the one for a PNG that is not a usable picture or not of the wanted size.
OraError readPicture(COraZipReader& zip, const std::string& name, OraError missing, OraError bad,
                     TMTC& out, int32_t wantWidth = 0, int32_t wantHeight = 0)
{
    std::vector<uint8_t> bytes;
    const OraZipStatus status = zip.read(name, kMaxPngBytes, bytes);
    if (status == OraZipStatus::Missing && missing == OraError::None)
        return OraError::None; // optional, and absent: `out` stays empty
    if (const OraError e = fromZip(status, missing); e != OraError::None) return e;
    int32_t width = 0, height = 0;
    if (!pngSize(bytes, width, height)) return bad;
    if (wantWidth > 0 && (width != wantWidth || height != wantHeight)) return bad;
    if (uint64_t(width) * uint64_t(height) * 4 > uint64_t(bytes.size()) * kMaxPixelBytesPerPngByte)
        return OraError::TooLarge;
    TPicture picture;
    const PictureError error = readPng(bytes, picture);
    if (error == PictureError::OutOfMemory) return OraError::OutOfMemory;
    if (error != PictureError::None || picture.image.width() != width ||
        picture.image.height() != height)
        return bad;
    out = std::move(picture.image);
    return OraError::None;
}

OraError readArchive(std::span<const uint8_t> bytes, TOraDocument& out)
{
    COraZipReader zip;
    if (!zip.open(bytes)) return OraError::NotZip;
    std::vector<uint8_t> mimetype;
    if (fromZip(zip.read("mimetype", 64, mimetype), OraError::BadMimetype) != OraError::None ||
        std::string_view(reinterpret_cast<const char*>(mimetype.data()), mimetype.size()) !=
            kOraMimetype)
        return OraError::BadMimetype;
    std::vector<uint8_t> xml;
    if (const OraError e =
            fromZip(zip.read("stack.xml", kMaxStackBytes, xml), OraError::MissingStack);
        e != OraError::None)
        return e;
    TOraStack stack;
    if (const OraError e =
            parseStack({reinterpret_cast<const char*>(xml.data()), xml.size()}, stack);
        e != OraError::None)
        return e;
    TOraDocument doc;
    doc.width = stack.width;
    doc.height = stack.height;
    doc.dpi = stack.dpi;
    doc.layers.reserve(stack.layers.size());
    for (TOraStackLayer& entry : stack.layers) {
        TOraLayer& layer = doc.layers.emplace_back(std::move(entry.layer));
        if (const OraError e =
                readPicture(zip, entry.src, OraError::MissingEntry, OraError::BadPng, layer.pixels);
            e != OraError::None)
            return e;
    }
    // The merged picture is a convenience for viewers; a file without one is still whole.
    TMTC merged;
    const OraError e = readPicture(zip, "mergedimage.png", OraError::None, OraError::BadMergedImage,
                                   merged, doc.width, doc.height);
    if (e != OraError::None) return e;
    doc.merged = std::move(merged);
    out = std::move(doc);
    return OraError::None;
}

} // namespace

int readOra(std::span<const uint8_t> bytes, TOraDocument& out)
{
    try {
        return int(readArchive(bytes, out));
    } catch (const std::bad_alloc&) {
        return int(OraError::OutOfMemory);
    }
}

int readOraFile(const std::string& path, TOraDocument& out)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return int(OraError::CannotOpen);
    return readOra(bytes, out);
}

} // namespace qm
