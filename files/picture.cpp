#include "files/picture.h"

#include "files/bmp_reader.h"
#include "files/jpeg_codec.h"
#include "files/png_codec.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace qm {

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff size = file.tellg();
    if (size < 0)
        return false;
    bytes.resize(size_t(size));
    file.seekg(0);
    return bool(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

PictureError readPicture(const std::string& path, TPicture& picture)
{
    std::string extension = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes))
        return PictureError::OpenFailed;
    if (extension == ".bmp")
        return readBmp(bytes, picture);
    if (extension == ".png")
        return readPng(bytes, picture);
    if (extension == ".jpg" || extension == ".jpeg")
        return readJpeg(bytes, picture);
    return PictureError::Unsupported;
}

} // namespace qm
