#include "tone/grad_set_file.h"

#include "core/byte_io.h"

#include "file_size_limit.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace qm;

namespace {

using test::fileBytes;
using test::tempPath;

// ---- a gradation set laid out by hand from the documented tables ----

std::vector<uint8_t> header(uint16_t count, uint16_t flags, int16_t current, int16_t fixed = 0,
                            uint16_t version = 1, uint32_t magic = 0x54535247 /* "GRST" */)
{
    ByteWriter w;
    w.u32(magic);
    w.i32(24);
    w.u16(version);
    w.u16(count);
    w.u16(flags);
    w.u16(0);
    w.i16(current);
    w.i16(fixed);
    w.zeros(12);
    return w.data();
}

struct Stop {
    uint32_t colour; // 0x00BBGGRR
    int32_t length;
    uint8_t alpha = 0; // has alpha when not 0
};

struct Entry {
    std::string name = std::string("no name");
    std::vector<Stop> stops = {{0x000000, 0x10000}, {0xFFFFFF, 0}};
    uint16_t flags = 0, version = 1, type = 0, map = 0, repeat = 0;
    int16_t count = 1;
    uint32_t magic = 0x44524751; // "QGRD"
};

std::vector<uint8_t> entryBytes(const Entry& e)
{
    const size_t padded = (e.name.size() + 3) / 4 * 4;
    ByteWriter w;
    w.u32(e.magic);
    w.i32(int32_t(28 + padded + 24 * e.stops.size()));
    w.u16(e.flags);
    w.u16(e.version);
    w.u16(e.type);
    w.u16(e.map);
    w.u16(e.repeat);
    w.i16(e.count);
    w.zeros(10);
    w.u16(uint16_t(e.stops.size()));
    w.u16(24);
    w.u16(uint16_t(e.name.size()));
    w.text(e.name);
    w.zeros(padded - e.name.size());
    for (size_t i = 0; i < e.stops.size(); ++i) {
        const Stop& s = e.stops[i];
        w.u8(1);
        w.u8(1);
        w.u8(s.alpha != 0 ? 1 : 0);
        w.u8(s.alpha != 0 ? s.alpha : 255);
        w.i32(int32_t(i));
        w.u32(0xFF000000u | s.colour);
        w.i32(s.length);
        w.i32(0); // start and span are the reader's to compute
        w.i32(0);
    }
    return w.data();
}

std::vector<uint8_t> file(std::vector<uint8_t> head, std::initializer_list<std::vector<uint8_t>> pieces)
{
    for (const auto& piece : pieces)
        head.insert(head.end(), piece.begin(), piece.end());
    return head;
}

TGradSetLoad load(const std::vector<uint8_t>& bytes, CGradMngr& gradations,
                  SetLoadMode mode = SetLoadMode::Replace)
{
    TGradSetData data;
    EXPECT_EQ(readGradSetBytes(bytes, data), GradSetError::None);
    return applyGradSet(std::move(data), gradations, mode);
}

} // namespace

TEST(GradSetFile, HandLaidFileReadsRenormalisedClampedEntriesAfterTheFixedOne)
{
    Entry first;
    first.name = std::string("abcd"); // no padding
    first.stops = {{0x0000FF, 0x8000, 0x80}, {0x00FF00, 0x8000}, {0xFF0000, 0}};
    first.flags = 1;
    first.type = 1;
    first.map = 1;
    first.repeat = 1;
    first.count = 3;
    Entry second;
    second.stops = {{0x000000, INT32_MIN}, {0x808080, 0x10000}, {0xFFFFFF, 0}};
    second.type = 7;
    second.map = 9;
    second.repeat = 5;
    second.count = 0;
    CGradMngr gradations{TConfigSettings{}};
    const TGradSetLoad result = load(file(header(2, 0, 1), {entryBytes(first), entryBytes(second)}),
                                     gradations);
    EXPECT_EQ(result.error, GradSetError::None);
    EXPECT_EQ(result.loaded, 2);
    EXPECT_TRUE(gradSetLoadMessage(result).empty());
    ASSERT_EQ(gradations.count(), 3);
    EXPECT_EQ(gradations.fixedIndex(), 0);
    EXPECT_EQ(gradations.entry(0)->stops.name, kFixedGradationName);
    EXPECT_EQ(gradations.currentIndex(), 2); // stored index 1, after the fixed entry

    const CGradObj* a = gradations.entry(1);
    EXPECT_EQ(a->stops.name, "abcd");
    EXPECT_EQ(a->options, (TGradOptions{1, 1, 1, 1, 3}));
    ASSERT_EQ(a->stops.stops.size(), 3u);
    // Lengths 0.5 and 0.5 of a total 1.0: starts 0, 0.5, 1.0 and spans 0.5, 0.5, 0.
    EXPECT_EQ(a->stops.stops[0].start, 0);
    EXPECT_EQ(a->stops.stops[0].span, 0x8000);
    EXPECT_EQ(a->stops.stops[1].start, 0x8000);
    EXPECT_EQ(a->stops.stops[1].span, 0x8000);
    EXPECT_EQ(a->stops.stops[2].start, 0x10000);
    EXPECT_EQ(a->stops.stops[2].span, 0);
    EXPECT_EQ(a->stops.ColorAt(0), 0x800000FFu);
    EXPECT_EQ(a->stops.ColorAt(0x10000), 0xFFFF0000u);
    // Type clamped to 3, map and repeat to 2, a count of 0 stored as 1, a negative length 0.
    const CGradObj* b = gradations.entry(2);
    EXPECT_EQ(b->options, (TGradOptions{0, 3, 2, 2, 1}));
    EXPECT_EQ(b->stops.stops[0].length, 0);
    EXPECT_EQ(b->stops.stops[1].start, 0);
    EXPECT_EQ(b->stops.stops[1].span, 0x10000);
}

TEST(GradSetFile, EntryWithASingleStopIsSkippedWithError20AndTheOthersLoad)
{
    Entry single;
    single.stops = {{0x123456, 0x10000}};
    Entry other;
    other.name = std::string("kept");
    CGradMngr gradations{TConfigSettings{}};
    const TGradSetLoad result =
        load(file(header(3, 0, 0), {entryBytes(Entry{}), entryBytes(single), entryBytes(other)}),
             gradations);
    EXPECT_EQ(result.error, GradSetError::TooFewStops);
    EXPECT_EQ(result.loaded, 2);
    EXPECT_EQ(gradSetLoadMessage(result), "1個のグラデーション集が読み込めませんでした！");
    ASSERT_EQ(gradations.count(), 3);
    EXPECT_EQ(gradations.entry(2)->stops.name, "kept");
}

TEST(GradSetFile, OtherMagicsAndFailingChunksAreSkippedBySize)
{
    Entry foreign;
    foreign.magic = 0x58585858;
    Entry newer;
    newer.version = 2;
    Entry many;
    many.stops.assign(CColorSlotGroup::kMaxStops + 1, Stop{0x808080, 100});
    CGradMngr gradations{TConfigSettings{}};
    TGradSetLoad result = load(
        file(header(3, 0, 0), {entryBytes(Entry{}), entryBytes(foreign), entryBytes(newer),
                               entryBytes(many), entryBytes(Entry{})}),
        gradations);
    EXPECT_EQ(result.loaded, 2);
    EXPECT_EQ(result.error, GradSetError::StopsFull);
    EXPECT_EQ(gradations.count(), 3);

    result = load(file(header(1, 0, 0), {entryBytes(newer)}), gradations);
    EXPECT_EQ(result.error, GradSetError::VersionTooNew);
    EXPECT_EQ(gradSetLoadMessage(result), "グラデーション集の読み込みに失敗しました! (err=12)");
    EXPECT_EQ(gradations.count(), 3); // nothing read, nothing lost

    TGradSetData data;
    EXPECT_EQ(readGradSetBytes(header(1, 0, 0, 0, 2), data), GradSetError::VersionTooNew);
    EXPECT_EQ(readGradSetBytes(header(1, 0, 0, 0, 1, 0x54535450), data), GradSetError::ReadFailed);
    std::vector<uint8_t> bytes = file(header(1, 0, 0), {entryBytes(Entry{})});
    bytes[36] = 0xFF; // a chunk larger than the rest
    EXPECT_EQ(load(bytes, gradations).error, GradSetError::ChunkTooLarge);
}

TEST(GradSetFile, WrittenLayoutFollowsTheTablesAndRoundTripsByteForByte)
{
    CGradMngr gradations{TConfigSettings{}}; // fixed + four entries
    gradations.entry(3)->options = TGradOptions{1, 2, 1, 1, 40000};
    gradations.Select(3);
    ByteWriter first;
    ASSERT_EQ(writeGradSetBytes(gradations, first), GradSetError::None);
    const std::vector<uint8_t>& bytes = first.data();
    ByteReader h(bytes);
    EXPECT_EQ(h.u32(), 0x54535247u); // "GRST"
    EXPECT_EQ(h.i32(), 24);
    EXPECT_EQ(h.u16(), 1);
    EXPECT_EQ(h.u16(), 4);
    EXPECT_EQ(h.u16(), 0);
    EXPECT_EQ(h.u16(), 0);
    EXPECT_EQ(h.i16(), 2); // the current index minus one
    EXPECT_EQ(h.i16(), 0);
    h.skip(12);
    // The first entry: black → white named "no name" (7 bytes, padded to 8).
    EXPECT_EQ(h.u32(), 0x44524751u); // "QGRD"
    EXPECT_EQ(h.i32(), 28 + 8 + 2 * 24);
    h.skip(22);
    EXPECT_EQ(h.u16(), 2);
    EXPECT_EQ(h.u16(), 24);
    EXPECT_EQ(h.u16(), 7);

    // The count beyond an int16 is stored as the largest it holds.
    CGradMngr back{TConfigSettings{}};
    EXPECT_EQ(load(bytes, back).loaded, 4);
    EXPECT_EQ(back.count(), 5);
    EXPECT_EQ(back.currentIndex(), 3);
    EXPECT_EQ(back.entry(3)->options, (TGradOptions{1, 2, 1, 1, 32767}));
    ByteWriter second;
    ASSERT_EQ(writeGradSetBytes(back, second), GradSetError::None);
    EXPECT_EQ(second.data(), bytes);

    // The fixed entry current: flag bit 0, and selected again on loading.
    gradations.Select(0);
    ByteWriter fixedCurrent;
    ASSERT_EQ(writeGradSetBytes(gradations, fixedCurrent), GradSetError::None);
    EXPECT_EQ(fixedCurrent.data()[12], 1);
    back.Select(4);
    load(fixedCurrent.data(), back);
    EXPECT_EQ(back.currentIndex(), 0);
}

TEST(GradSetFile, AppendKeepsTheSelection)
{
    CGradMngr gradations{TConfigSettings{}};
    gradations.Select(2);
    EXPECT_EQ(load(file(header(2, 1, 0), {entryBytes(Entry{}), entryBytes(Entry{})}), gradations,
                   SetLoadMode::Append)
                  .loaded,
              2);
    EXPECT_EQ(gradations.count(), 7);
    EXPECT_EQ(gradations.currentIndex(), 2);
}

TEST(GradSetFile, FileCutAtEveryLengthReadsTheWholeEntriesBeforeTheCut)
{
    const std::vector<uint8_t> one = entryBytes(Entry{});
    const std::vector<uint8_t> bytes = file(header(2, 0, 0), {one, one});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        TGradSetData data;
        const GradSetError error =
            readGradSetBytes(std::span<const uint8_t>(bytes).first(n), data);
        if (n < 32) {
            EXPECT_EQ(error, GradSetError::ReadFailed) << n;
            continue;
        }
        ASSERT_EQ(error, GradSetError::None) << n;
        const size_t whole = n == bytes.size() ? 2 : n >= 32 + one.size() ? 1 : 0;
        EXPECT_EQ(data.entries.size(), whole) << n;
    }
}

TEST(GradSetFile, SavingRefusesStopsNotInUseAndNeverDamagesTheOldFile)
{
    CGradMngr gradations{TConfigSettings{}};
    const std::string path = tempPath("qm_grads.qgs");
    ASSERT_EQ(saveGradSet(path, gradations), GradSetError::None);
    const std::vector<uint8_t> old = fileBytes(path);

    gradations.entry(2)->stops.stops[0].inUse = 0;
    EXPECT_EQ(saveGradSet(path, gradations), GradSetError::TooFewStops);
    gradations.entry(2)->stops.stops[0].inUse = 1;
    // Many stops: a file far larger than the limit.
    CColorSlotGroup big;
    for (int32_t i = 0; i < 2000; ++i)
        big.append(uint32_t(i * 977), 100);
    for (int32_t i = 0; i < 10; ++i)
        ASSERT_TRUE(gradations.ReplaceStops(gradations.Duplicate(1), big, true));
    {
        test::FileSizeLimit limit(old.size() + 64);
        ASSERT_TRUE(limit.active());
        EXPECT_EQ(saveGradSet(path, gradations), GradSetError::WriteFailed);
    }
    EXPECT_EQ(fileBytes(path), old);
    std::filesystem::remove(path);

    for (int32_t i = gradations.count() - 1; i > 0; --i)
        gradations.Remove(i);
    ByteWriter out;
    EXPECT_EQ(writeGradSetBytes(gradations, out), GradSetError::NoEntries);
    EXPECT_EQ(saveGradSet(tempPath("qm_no_folder") + "/set.qgs", gradations),
              GradSetError::CannotCreate);
}

TEST(GradSetFile, StartUpLoadsTheSettingsFileElseTheDefaultElseClearsTheSetting)
{
    const std::filesystem::path folder = tempPath("qm_grad_start");
    std::filesystem::create_directories(folder);
    CGradMngr saved{TConfigSettings{}};
    saved.Remove(4);
    ASSERT_EQ(saveGradSet((folder / "default.qgs").string(), saved), GradSetError::None);

    TFileIOSettings settings;
    settings.gradFile = (folder / "gone.qgs").string();
    settings.gradPath = folder.string();
    CGradMngr gradations{TConfigSettings{}};
    TGradSetLoad result;
    const TStartupSetFile choice = startGradSet(gradations, settings, nullptr, &result);
    EXPECT_EQ(choice.path, (folder / "default.qgs").string());
    EXPECT_EQ(result.loaded, 3);
    EXPECT_EQ(gradations.count(), 4);

    std::filesystem::remove_all(folder);
    CGradMngr builtIns{TConfigSettings{}};
    EXPECT_TRUE(startGradSet(builtIns, settings, nullptr).clearSetting);
    EXPECT_TRUE(settings.gradFile.empty());
    EXPECT_EQ(builtIns.count(), 5);
}
