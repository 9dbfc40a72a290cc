#include "core/safe_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace qm {

namespace {

std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool save(const std::filesystem::path& path, const std::string& text, bool keepPrevious)
{
    return saveFileReplacing(path.string(),
                             std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                             keepPrevious);
}

} // namespace

TEST(SafeFile, ThePreviousVersionStaysBesideTheFileWhenAsked)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillmere_safe_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "a.qmp", previous = folder / "a.qmp~";

    ASSERT_TRUE(save(file, "first", true));
    EXPECT_FALSE(std::filesystem::exists(previous)) << "nothing was there before";
    ASSERT_TRUE(save(file, "second", true));
    ASSERT_TRUE(save(file, "third", true));
    EXPECT_EQ(contentOf(file), "third");
    EXPECT_EQ(contentOf(previous), "second") << "one previous version, the latest";
    ASSERT_TRUE(save(file, "fourth", false));
    EXPECT_EQ(contentOf(file), "fourth");
    EXPECT_EQ(contentOf(previous), "second") << "a save without it leaves the old copy alone";
    // A save that cannot be made leaves both as they were.
    EXPECT_FALSE(save(folder / "missing" / "a.qmp", "x", true));
    std::filesystem::remove_all(folder);
}

} // namespace qm
