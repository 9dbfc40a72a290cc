#include "app/document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qm {
namespace {

namespace fs = std::filesystem;

TEST(AutoSave, TakesTheFirstCounterWithoutAFile)
{
    const fs::path folder = fs::temp_directory_path() / "quillmere-autosave-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    EXPECT_EQ(nextAutoSavePath(folder.string(), 2026, 3, 7), (folder / "2026-3-7-0.bmp").string());
    std::ofstream(folder / "2026-3-7-0.bmp");
    std::ofstream(folder / "2026-3-7-1.bmp");
    std::ofstream(folder / "2026-3-8-2.bmp"); // another day does not count
    EXPECT_EQ(nextAutoSavePath(folder.string(), 2026, 3, 7), (folder / "2026-3-7-2.bmp").string());
    fs::remove_all(folder);
}

} // namespace
} // namespace qm
