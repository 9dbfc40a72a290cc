#include "tone/tone_set_file.h"

#include "core/byte_io.h"
#include "files/compressor.h"

#include "file_size_limit.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace qm;

namespace {

using test::fileBytes;
using test::tempPath;

// ---- a tone set laid out by hand from the documented tables ----

std::vector<uint8_t> header(uint16_t count, uint16_t current, uint16_t version = 1,
                            uint32_t magic = 0x54535450 /* "PTST" */, int32_t length = 24,
                            uint16_t reserved = 0)
{
    ByteWriter w;
    w.u32(magic);
    w.i32(length);
    w.u16(reserved);
    w.u16(version);
    w.u16(count);
    w.u16(current);
    w.zeros(16);
    return w.data();
}

struct Pattern {
    uint16_t recordKind = 8;
    uint16_t kind = 0;
    uint16_t version = 1;
    uint32_t flags = 0x100;
    int32_t scale = 100, originX = 0, originY = 0, width = 4, height = 3;
    int32_t shape = 0;
    float dpi = 0, lines = 0, percent = 0, angle = 0;
    int32_t blur = 0;
    std::string name = std::string("abc");
    std::vector<uint8_t> tile;      // width × height values; a ramp when empty
    int32_t extraNameLength = 0;    // added to the stored name length
    size_t recordCut = 0;           // when set, the chunk holds only this much of the record
    uint8_t blockKind = 2;
    uint8_t key = 0x11;             // not the writer's key: readers take it from the block
    int32_t blockWidth = 0;         // the record's width when 0
    bool corruptPixels = false;
};

// Every complete group of three bytes reversed, then bytes 0, 3, 6, … XORed with ~key.
void scrambleAsDocumented(std::vector<uint8_t>& bytes, uint8_t key)
{
    for (size_t i = 0; i + 3 <= bytes.size(); i += 3)
        std::reverse(bytes.begin() + std::ptrdiff_t(i), bytes.begin() + std::ptrdiff_t(i + 3));
    for (size_t i = 0; i < bytes.size(); i += 3)
        bytes[i] ^= uint8_t(~key);
}

std::vector<uint8_t> rampTile(int32_t width, int32_t height)
{
    std::vector<uint8_t> tile(size_t(width) * size_t(height));
    for (size_t i = 0; i < tile.size(); ++i)
        tile[i] = uint8_t(i * 29 + 7);
    return tile;
}

std::vector<uint8_t> patternBytes(const Pattern& p)
{
    const size_t padded = (p.name.size() + 3) / 4 * 4;
    ByteWriter w;
    w.text("QPAT");
    w.i32(int32_t(p.recordCut ? p.recordCut : 72 + padded));
    const size_t recordStart = w.size();
    w.u16(p.recordKind);
    w.u16(p.kind);
    w.u16(uint16_t(int32_t(p.name.size()) + p.extraNameLength));
    w.u16(p.version);
    w.u32(p.flags);
    w.i32(p.scale);
    w.i32(p.originX);
    w.i32(p.originY);
    w.i32(p.width);
    w.i32(p.height);
    w.zeros(8);
    w.i32(p.shape);
    w.f32(p.dpi);
    w.f32(p.lines);
    w.f32(p.percent);
    w.f32(p.angle);
    w.i32(p.blur);
    w.zeros(8);
    w.text(p.name);
    w.zeros(padded - p.name.size());
    if (p.recordCut)
        w.data().resize(recordStart + p.recordCut);

    const int32_t blockWidth = p.blockWidth ? p.blockWidth : p.width;
    const std::vector<uint8_t> tile = p.tile.empty() ? rampTile(blockWidth, p.height) : p.tile;
    std::vector<uint8_t> packed;
    EXPECT_GT(compressAppend(tile, packed), 0u);
    if (p.corruptPixels)
        packed[packed.size() / 2] ^= 0x55;
    scrambleAsDocumented(packed, p.key);
    const size_t padding = (4 - packed.size() % 4) % 4;
    w.text("QTNL");
    w.u32(uint32_t(40 + packed.size() + padding));
    w.u8(p.blockKind);
    w.u8(0);
    w.u16(p.kind == 1 ? 2 : 4);
    w.u8(3);
    w.u8(p.key);
    w.u8(2);
    w.u8(0);
    w.i32(blockWidth);
    w.i32(p.height);
    w.i32(blockWidth);
    w.i32(p.height);
    w.u32(uint32_t(packed.size()));
    w.u32(uint32_t(blockWidth * p.height));
    w.zeros(8);
    w.bytes(packed.data(), packed.size());
    w.zeros(padding);
    return w.data();
}

Pattern tonePattern()
{
    Pattern p;
    p.kind = 1;
    p.flags = 0x1; // the tone's flag, not inverted
    p.width = p.height = 64;
    p.scale = 120;
    p.originX = 3;
    p.originY = 4;
    p.shape = 6;
    p.dpi = 300.0f;
    p.lines = 55.0f;
    p.percent = 50.0f;
    p.angle = 0.0f;
    p.blur = 2;
    p.name = std::string("Square 12"); // 9 bytes: 3 of padding
    return p;
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<uint8_t> file(uint16_t count, uint16_t current,
                          std::initializer_list<std::vector<uint8_t>> pieces)
{
    std::vector<uint8_t> bytes = header(count, current);
    for (const auto& piece : pieces)
        append(bytes, piece);
    return bytes;
}

std::vector<uint8_t> channelBytes(const TChannel& c)
{
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < c.height(); ++y)
        bytes.insert(bytes.end(), c.row(y), c.row(y) + c.width());
    return bytes;
}

TToneSetLoad load(const std::vector<uint8_t>& bytes, CToneMngr& tones,
                  SetLoadMode mode = SetLoadMode::Replace)
{
    TToneSetData data;
    EXPECT_EQ(readToneSetBytes(bytes, data), ToneSetError::None);
    return applyToneSet(std::move(data), tones, mode);
}

} // namespace

TEST(ToneSetFile, HandLaidFileReadsWithStoredTilesAndRecordValues)
{
    Pattern bitmap;
    bitmap.flags = 0x100 | 0x2; // inverted
    bitmap.scale = 150;
    bitmap.originX = 1;
    bitmap.originY = 2;
    Pattern tone = tonePattern();
    tone.tile = rampTile(64, 64); // nothing the generator would make: it must not be asked
    CToneMngr tones; // the two built-ins go on replace
    const TToneSetLoad result = load(file(2, 1, {patternBytes(bitmap), patternBytes(tone)}), tones);
    EXPECT_EQ(result.error, ToneSetError::None);
    EXPECT_EQ(result.loaded, 2);
    EXPECT_TRUE(toneSetLoadMessage(result).empty());
    ASSERT_EQ(tones.count(), 2);
    EXPECT_EQ(tones.currentIndex(), 1);

    const CPatObj* b = tones.at(0);
    EXPECT_EQ(b->kind(), PatKind::Bitmap);
    EXPECT_EQ(b->name(), "abc");
    EXPECT_EQ(b->scale(), 150);
    EXPECT_EQ(b->originX(), 1);
    EXPECT_EQ(b->originY(), 2);
    EXPECT_TRUE(b->inverted());
    EXPECT_EQ(channelBytes(b->channel()), rampTile(4, 3));

    ASSERT_EQ(tones.at(1)->kind(), PatKind::Tone);
    const auto& t = static_cast<const CPat8Tone&>(*tones.at(1));
    EXPECT_EQ(t.name(), "Square 12");
    EXPECT_EQ(t.scale(), 120);
    EXPECT_EQ(t.originX(), 3);
    EXPECT_EQ(t.originY(), 4);
    EXPECT_FALSE(t.inverted());
    EXPECT_EQ(t.attr().shape, 6);
    EXPECT_EQ(t.attr().dpi, 300.0f);
    EXPECT_EQ(t.attr().lines, 55.0f);
    EXPECT_EQ(t.attr().percent, 50.0f);
    EXPECT_EQ(t.attr().blur, 2);
    EXPECT_EQ(t.attr().flag, 1);
    EXPECT_EQ(channelBytes(t.channel()), tone.tile);

    // Written back it is the same file, but for the writer's own key (descriptor +5 of the
    // first tile's block: header 32, chunk 8 + 72 + 4).
    ByteWriter written;
    ASSERT_EQ(writeToneSetBytes(tones, written), ToneSetError::None);
    ASSERT_GT(written.size(), 32u + 84u + 13u);
    bitmap.key = tone.key = written.data()[32 + 84 + 13];
    EXPECT_EQ(written.data(), file(2, 1, {patternBytes(bitmap), patternBytes(tone)}));
}

TEST(ToneSetFile, UnknownChunkBetweenTwoPatternsLoadsBothAndNothingIsMissing)
{
    ByteWriter foreign;
    foreign.text("XTRA");
    foreign.u32(12);
    foreign.zeros(12);
    CToneMngr tones;
    const TToneSetLoad result =
        load(file(2, 0, {patternBytes(Pattern{}), foreign.data(), patternBytes(tonePattern())}),
             tones);
    EXPECT_EQ(result.error, ToneSetError::None);
    EXPECT_EQ(result.loaded, 2);
    EXPECT_EQ(result.missing(), 0);
    EXPECT_TRUE(toneSetLoadMessage(result).empty());
    EXPECT_EQ(tones.at(1)->kind(), PatKind::Tone);
}

TEST(ToneSetFile, RoundTripIsByteForByte)
{
    CToneMngr tones; // two bitmap dot grids
    SToneAttr attr;
    attr.shape = 2;
    attr.percent = 35.0f;
    attr.angle = 30.0f;
    attr.name = std::string("Dot(Cos) 55L"); // 12 bytes: no padding
    ASSERT_EQ(tones.AddTone(attr, true), 2);
    tones.SetInverted(2, true);
    tones.SetOrigin(0, 5, 6);
    tones.SetScale(1, 180);
    tones.Select(2);
    ByteWriter first;
    ASSERT_EQ(writeToneSetBytes(tones, first), ToneSetError::None);
    CToneMngr back(false);
    EXPECT_EQ(load(first.data(), back).loaded, 3);
    EXPECT_EQ(back.currentIndex(), 2);
    ByteWriter second;
    ASSERT_EQ(writeToneSetBytes(back, second), ToneSetError::None);
    EXPECT_EQ(second.data(), first.data());
}

TEST(ToneSetFile, ReplaceClampsTheSelectionAndAppendKeepsIt)
{
    const std::vector<uint8_t> two = file(2, 7, {patternBytes(Pattern{}), patternBytes(tonePattern())});
    CToneMngr replaced;
    load(two, replaced);
    EXPECT_EQ(replaced.count(), 2);
    EXPECT_EQ(replaced.currentIndex(), 1);

    CToneMngr appended;
    appended.Select(1);
    EXPECT_EQ(load(two, appended, SetLoadMode::Append).loaded, 2);
    EXPECT_EQ(appended.count(), 4);
    EXPECT_EQ(appended.currentIndex(), 1);
    EXPECT_EQ(appended.at(0)->name(), "Dot r2 s8");
    EXPECT_EQ(appended.at(2)->name(), "abc");
}

TEST(ToneSetFile, DamagedPatternIsSkippedWithItsCodeAndTheOthersLoad)
{
    struct Case {
        const char* what;
        void (*damage)(Pattern&);
        ToneSetError expected;
    };
    const Case cases[] = {
        {"record kind", [](Pattern& p) { p.recordKind = 7; }, ToneSetError::WrongKind},
        {"pattern kind", [](Pattern& p) { p.kind = 2; }, ToneSetError::WrongKind},
        {"record version", [](Pattern& p) { p.version = 2; }, ToneSetError::VersionTooNew},
        {"short chunk", [](Pattern& p) { p.recordCut = 70; }, ToneSetError::RecordTooShort},
        {"name past chunk", [](Pattern& p) { p.extraNameLength = 2; }, ToneSetError::RecordTooShort},
        {"block kind", [](Pattern& p) { p.blockKind = 3; }, ToneSetError::UnknownImageKind},
        {"tile size", [](Pattern& p) { p.blockWidth = 5; }, ToneSetError::WrongKind},
        {"pixels", [](Pattern& p) { p.corruptPixels = true; }, ToneSetError::ReadFailed},
    };
    for (const Case& c : cases) {
        Pattern bad;
        c.damage(bad);
        CToneMngr tones;
        const TToneSetLoad result =
            load(file(2, 0, {patternBytes(bad), patternBytes(tonePattern())}), tones);
        EXPECT_EQ(result.error, c.expected) << c.what;
        EXPECT_EQ(result.loaded, 1) << c.what;
        ASSERT_EQ(tones.count(), 1) << c.what;
        EXPECT_EQ(tones.at(0)->kind(), PatKind::Tone) << c.what;
        EXPECT_EQ(toneSetLoadMessage(result), "1個のトーン集が読み込めませんでした！") << c.what;
    }
}

TEST(ToneSetFile, BadHeadersAndUnreadableFilesLoseNothing)
{
    TToneSetData data;
    EXPECT_EQ(readToneSetBytes(header(1, 0, 2), data), ToneSetError::VersionTooNew);
    EXPECT_EQ(readToneSetBytes(header(1, 0, 1, 0x54535451), data), ToneSetError::WrongKind);
    EXPECT_EQ(readToneSetBytes(header(1, 0, 1, 0x54535450, 23), data), ToneSetError::WrongKind);
    EXPECT_EQ(readToneSetBytes(header(1, 0, 1, 0x54535450, 24, 1), data), ToneSetError::WrongKind);

    // A chunk claiming more than the file holds ends reading; nothing read, nothing changed.
    std::vector<uint8_t> bytes = file(1, 0, {patternBytes(Pattern{})});
    bytes[36] = 0xFF;
    CToneMngr tones;
    TToneSetLoad result = load(bytes, tones);
    EXPECT_EQ(result.error, ToneSetError::ChunkTooLarge);
    EXPECT_EQ(toneSetLoadMessage(result), "トーン集の読み込みに失敗しました! (err=10)");
    EXPECT_EQ(tones.count(), 2);
    EXPECT_EQ(tones.at(0)->name(), "Dot r2 s8");
    result = load(header(0, 0), tones);
    EXPECT_EQ(result.error, ToneSetError::NoPatterns);
    EXPECT_EQ(tones.count(), 2);

    CollectingMessageSink messages;
    const std::string missing = tempPath("qm_no_such.qts");
    EXPECT_EQ(loadToneSet(missing, tones, SetLoadMode::Replace, &messages).error,
              ToneSetError::FileNotFound);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "トーン集の読み込みに失敗しました! (err=4)");
    EXPECT_EQ(readToneSetFile(std::filesystem::temp_directory_path().string(), data),
              ToneSetError::OpenFailed);
}

TEST(ToneSetFile, FileCutAtEveryLengthReadsTheWholePatternsBeforeTheCut)
{
    const std::vector<uint8_t> first = patternBytes(Pattern{});
    const std::vector<uint8_t> bytes = file(2, 0, {first, patternBytes(Pattern{})});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        TToneSetData data;
        const ToneSetError error = readToneSetBytes(std::span<const uint8_t>(bytes).first(n), data);
        if (n < 32) {
            EXPECT_EQ(error, ToneSetError::ReadFailed) << n;
            continue;
        }
        ASSERT_EQ(error, ToneSetError::None) << n;
        const size_t whole = n == bytes.size() ? 2 : n >= 32 + first.size() ? 1 : 0;
        EXPECT_EQ(data.entries.size(), whole) << n;
        CToneMngr tones;
        const TToneSetLoad result = applyToneSet(std::move(data), tones, SetLoadMode::Replace);
        EXPECT_EQ(result.missing(), 2 - int32_t(whole)) << n;
        EXPECT_EQ(tones.count(), whole == 0 ? 2 : int32_t(whole)) << n;
    }
}

TEST(ToneSetFile, SavingRefusesWhatItCannotWriteAndNeverDamagesTheOldFile)
{
    CToneMngr empty(false);
    ByteWriter out;
    EXPECT_EQ(writeToneSetBytes(empty, out), ToneSetError::NoPatterns);
    CToneMngr tones;
    EXPECT_EQ(saveToneSet(tempPath("qm_no_folder") + "/set.qts", tones), ToneSetError::CannotCreate);

    const std::string path = tempPath("qm_tones.qts");
    ASSERT_EQ(saveToneSet(path, tones), ToneSetError::None);
    const std::vector<uint8_t> old = fileBytes(path);
    // A large pattern of noise that does not compress, cut short by the file size limit.
    TMTC noise(400, 400);
    uint32_t state = 12345;
    for (int32_t y = 0; y < 400; ++y)
        for (int32_t x = 0; x < 400; ++x)
            noise.row(y)[x] = (state = state * 1664525u + 1013904223u);
    ASSERT_GE(tones.AddImagePattern(noise, std::string("noise")), 0);
    {
        test::FileSizeLimit limit(old.size() + 64);
        ASSERT_TRUE(limit.active());
        EXPECT_EQ(saveToneSet(path, tones), ToneSetError::WriteFailed);
    }
    EXPECT_EQ(fileBytes(path), old);
    std::filesystem::remove(path);
}

TEST(ToneSetFile, StartUpLoadsTheSettingsFileElseTheDefaultElseClearsTheSetting)
{
    const std::filesystem::path folder = tempPath("qm_tone_start");
    std::filesystem::create_directories(folder);
    const std::string named = (folder / "mine.qts").string();
    const std::string fallback = (folder / "default.qts").string();
    CToneMngr one(false);
    one.AddDotGrid(4, 10);
    ASSERT_EQ(saveToneSet(named, one), ToneSetError::None);

    TFileIOSettings settings;
    settings.toneFile = named;
    settings.tonePath = folder.string();
    EXPECT_EQ(chooseStartupToneSet(settings).path, named);
    settings.toneFile = (folder / "gone.qts").string();
    EXPECT_TRUE(chooseStartupToneSet(settings).clearSetting);
    std::filesystem::rename(named, fallback);
    EXPECT_EQ(chooseStartupToneSet(settings).path, fallback);

    CToneMngr tones;
    TToneSetLoad result;
    EXPECT_FALSE(startToneSet(tones, settings, nullptr, &result).clearSetting);
    EXPECT_EQ(result.loaded, 1);
    EXPECT_EQ(tones.count(), 1);
    EXPECT_EQ(settings.toneFile, (folder / "gone.qts").string());

    std::filesystem::remove(fallback);
    CToneMngr builtIns;
    EXPECT_TRUE(startToneSet(builtIns, settings, nullptr).clearSetting);
    EXPECT_TRUE(settings.toneFile.empty());
    EXPECT_EQ(builtIns.count(), 2);
    std::filesystem::remove_all(folder);
}
