// Small file helpers shared by the tests of the savers and readers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm::test {

// A file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A path in the temporary folder that no other test process uses.
inline std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid())))
        .string();
}

} // namespace qm::test
