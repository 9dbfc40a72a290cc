#include "print/sane_scanner.h"

#include "print/sane_test_config.h"

#include <gtest/gtest.h>
#include <sane/sane.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace qm;
using qm::test::TSaneTestConfig;

namespace {

// The test backend's picture of 80 × 100 mm at 50 dpi is 157.5 × 196.9 pixels; it may round
// either way.
constexpr double kWidthAt50 = 80 / 25.4 * 50;
constexpr double kHeightAt50 = 100 / 25.4 * 50;

struct TScanned {
    TScanResult result;
    TScanFrame announced; // what the device says before the scan, read straight from SANE
};

// Reads the parameters with SANE's own calls, so the expected size does not come from the
// code under test. The session must be alive.
TScanFrame announcedBy(const char* device, double dpi)
{
    TScanFrame frame;
    SANE_Handle handle = nullptr;
    if (sane_open(device, &handle) != SANE_STATUS_GOOD) return frame;
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, i);
        if (!option) break;
        if (option->name && std::strcmp(option->name, "resolution") == 0) {
            SANE_Word value = SANE_FIX(dpi);
            sane_control_option(handle, i, SANE_ACTION_SET_VALUE, &value, nullptr);
        }
    }
    SANE_Parameters p{};
    sane_get_parameters(handle, &p);
    frame = {int32_t(p.format), p.last_frame != 0, p.bytes_per_line,
             p.pixels_per_line, p.lines,           p.depth};
    sane_close(handle);
    return frame;
}

TScanned scanWith(TSaneTestConfig& config, const std::map<std::string, std::string>& changes,
                  TScanOptions options = {})
{
    config.write(changes);
    CSaneScanner scanner;
    TScanned scanned;
    scanned.announced = announcedBy("test:0", options.resolution > 0 ? options.resolution : 50);
    scanned.result = scanner.scan("test:0", options);
    return scanned;
}

// Every pixel, or the first one that differs from `value`.
::testing::AssertionResult allPixelsAre(const TMTC& picture, uint32_t value)
{
    for (int32_t y = 0; y < picture.height(); ++y)
        for (int32_t x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != value)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << picture.pixel(x, y);
    return ::testing::AssertionSuccess();
}

bool samePixels(const TMTC& a, const TMTC& b)
{
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int32_t y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), size_t(a.width()) * 4) != 0) return false;
    return true;
}

} // namespace

TEST(SaneScanner, ListsTheTestDevicesAndAllowsOneSessionAtATime)
{
    TSaneTestConfig config;
    config.write();
    CSaneScanner scanner;
    ASSERT_TRUE(scanner.ready()) << scanner.error();
    std::vector<TScanDevice> devices;
    std::string error;
    ASSERT_TRUE(scanner.listDevices(devices, error)) << error;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "test:0");
    EXPECT_EQ(devices[1].name, "test:1");
    EXPECT_FALSE(devices[0].model.empty());

    CSaneScanner second;
    EXPECT_FALSE(second.ready());
    EXPECT_FALSE(second.error().empty());
}

TEST(SaneScanner, ColourScanAtAChosenResolutionHasTheAnnouncedSize)
{
    TSaneTestConfig config;
    // The device starts in grey at 300 dpi: the options must switch both.
    const TScanned scanned =
        scanWith(config, {{"resolution", "300.0"}, {"test-picture", "\"Color pattern\""}},
                 {TScanMode::colour, 50});
    const TScanResult& result = scanned.result;
    ASSERT_EQ(result.status, TScanStatus::done) << result.message;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.resolution, 50);
    EXPECT_EQ(result.picture.width(), scanned.announced.pixelsPerLine);
    EXPECT_EQ(result.picture.height(), scanned.announced.lines);
    EXPECT_NEAR(result.picture.width(), kWidthAt50, 1.0);
    EXPECT_NEAR(result.picture.height(), kHeightAt50, 1.0);
    bool colourSeen = false;
    for (int32_t y = 0; y < result.picture.height(); ++y)
        for (int32_t x = 0; x < result.picture.width(); ++x) {
            const uint32_t p = result.picture.pixel(x, y);
            ASSERT_EQ(p >> 24, 0xFFu);
            colourSeen |= ((p >> 16) & 0xFF) != (p & 0xFF);
        }
    EXPECT_TRUE(colourSeen);
}

TEST(SaneScanner, SolidPicturesComeOutExactInEveryFrameFormat)
{
    struct TCase {
        const char* name;
        std::map<std::string, std::string> changes;
    };
    const TCase cases[] = {
        {"grey 8", {{"mode", "Gray"}, {"depth", "8"}}},
        {"grey 16", {{"mode", "Gray"}, {"depth", "16"}}},
        {"lineart", {{"mode", "Gray"}, {"depth", "1"}}},
        {"RGB 8", {{"mode", "Color"}, {"depth", "8"}}},
        {"RGB 16", {{"mode", "Color"}, {"depth", "16"}}},
        {"three-pass 8", {{"mode", "Color"}, {"three-pass", "true"}}},
        {"three-pass 16", {{"mode", "Color"}, {"three-pass", "true"}, {"depth", "16"}}},
        // Lines not known in advance; a few bytes a read, so lines arrive in pieces.
        {"hand scanner",
         {{"hand-scanner", "true"}, {"read-limit", "true"}, {"read-limit-size", "7"}}},
        // Fewer pixels than the line's bytes hold: the padding is skipped.
        {"padded lines", {{"mode", "Color"}, {"ppl-loss", "5"}}},
    };
    TSaneTestConfig config;
    for (const TCase& c : cases) {
        for (const auto& [picture, pixel] : {std::pair{"\"Solid black\"", 0xFF000000u},
                                             std::pair{"\"Solid white\"", 0xFFFFFFFFu}}) {
            SCOPED_TRACE(std::string(c.name) + " " + picture);
            auto changes = c.changes;
            changes["test-picture"] = picture;
            const TScanned scanned = scanWith(config, changes);
            const TScanResult& result = scanned.result;
            ASSERT_EQ(result.status, TScanStatus::done) << result.message;
            EXPECT_TRUE(result.message.empty()) << result.message;
            EXPECT_EQ(result.resolution, 50);
            EXPECT_EQ(result.picture.width(), scanned.announced.pixelsPerLine);
            if (scanned.announced.lines > 0)
                EXPECT_EQ(result.picture.height(), scanned.announced.lines);
            else
                EXPECT_GT(result.picture.height(), 0);
            EXPECT_TRUE(allPixelsAre(result.picture, pixel));
        }
    }
}

TEST(SaneScanner, ThreePassAndSmallReadsGiveTheSingleReadColourPicture)
{
    TSaneTestConfig config;
    const std::map<std::string, std::string> pattern = {{"mode", "Color"},
                                                        {"test-picture", "\"Color pattern\""}};
    const TScanResult single = scanWith(config, pattern).result;
    ASSERT_EQ(single.status, TScanStatus::done) << single.message;

    auto threePass = pattern;
    threePass["three-pass"] = "true";
    threePass["three-pass-order"] = "BGR"; // the bands arrive out of order
    const TScanResult passes = scanWith(config, threePass).result;
    ASSERT_EQ(passes.status, TScanStatus::done) << passes.message;
    EXPECT_TRUE(samePixels(single.picture, passes.picture));

    auto smallReads = pattern;
    smallReads["read-limit"] = "true";
    smallReads["read-limit-size"] = "5"; // never a whole pixel, never a whole line
    const TScanResult pieces = scanWith(config, smallReads).result;
    ASSERT_EQ(pieces.status, TScanStatus::done) << pieces.message;
    EXPECT_TRUE(samePixels(single.picture, pieces.picture));
}

TEST(SaneScanner, CancelAndUnknownDeviceAreReportedApart)
{
    TSaneTestConfig config;
    config.write({{"read-limit", "true"}, {"read-limit-size", "100"}});
    CSaneScanner scanner;
    int calls = 0;
    TScanResult cancelled = scanner.scan("test:1", {}, [&](int32_t percent) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        return ++calls < 3;
    });
    EXPECT_EQ(cancelled.status, TScanStatus::cancelled);
    EXPECT_TRUE(cancelled.message.empty());
    EXPECT_EQ(calls, 3);

    // The device was released: it scans again.
    const TScanResult again = scanner.scan("test:1", {});
    EXPECT_EQ(again.status, TScanStatus::done) << again.message;

    const TScanResult unknown = scanner.scan("test:9", {});
    EXPECT_EQ(unknown.status, TScanStatus::failed);
    EXPECT_EQ(unknown.message, std::string("The scanner could not be opened: ") +
                                   sane_strstatus(SANE_STATUS_INVAL) + ".");
}

// The assembler fed bytes written by hand from SANE's documented layouts.
TEST(SaneFrames, SamplesAreDecodedFromTheDocumentedLayout)
{
    CScanAssembler grey;
    // 16-bit grey, host order, 3 pixels in 8 bytes (2 of padding); the high byte counts.
    ASSERT_TRUE(grey.beginFrame({CScanAssembler::kGray, true, 8, 3, 2, 16}));
    const uint16_t samples[8] = {0x12AB, 0xFF00, 0x00FF, 0xEEEE, 0x8001, 0x0102, 0x7F7F, 0};
    ASSERT_TRUE(grey.addData(reinterpret_cast<const uint8_t*>(samples), sizeof samples));
    grey.endFrame();
    TMTC picture;
    ASSERT_TRUE(grey.finish(picture));
    ASSERT_EQ(picture.width(), 3);
    ASSERT_EQ(picture.height(), 2);
    EXPECT_EQ(picture.pixel(0, 0), 0xFF121212u);
    EXPECT_EQ(picture.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(picture.pixel(2, 0), 0xFF000000u);
    EXPECT_EQ(picture.pixel(0, 1), 0xFF808080u);
    EXPECT_EQ(picture.pixel(1, 1), 0xFF010101u);

    // Lineart: leftmost pixel in the top bit, a set bit black.
    CScanAssembler lineart;
    ASSERT_TRUE(lineart.beginFrame({CScanAssembler::kGray, true, 2, 10, 1, 1}));
    const uint8_t bits[2] = {0b10110000, 0b01000000};
    ASSERT_TRUE(lineart.addData(bits, 2));
    lineart.endFrame();
    ASSERT_TRUE(lineart.finish(picture));
    const uint32_t expected[10] = {0, 1, 0, 0, 1, 1, 1, 1, 1, 0};
    for (int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(picture.pixel(x, 0), expected[x] ? 0xFFFFFFFFu : 0xFF000000u) << x;

    // RGB 8: red, green, blue in that order.
    CScanAssembler rgb;
    ASSERT_TRUE(rgb.beginFrame({CScanAssembler::kRGB, true, 3, 1, 1, 8}));
    const uint8_t triple[3] = {0x11, 0x22, 0x33};
    ASSERT_TRUE(rgb.addData(triple, 3));
    rgb.endFrame();
    ASSERT_TRUE(rgb.finish(picture));
    EXPECT_EQ(picture.pixel(0, 0), 0xFF112233u);
}

TEST(SaneFrames, ShortAndOverlongDataKeepTheCompleteAnnouncedLines)
{
    CScanAssembler shortScan;
    ASSERT_TRUE(shortScan.beginFrame({CScanAssembler::kGray, true, 4, 4, 10, 8}));
    const std::vector<uint8_t> data(4 * 3 + 2, 200); // three lines and a piece
    ASSERT_TRUE(shortScan.addData(data.data(), data.size()));
    shortScan.endFrame();
    TMTC picture;
    ASSERT_TRUE(shortScan.finish(picture));
    EXPECT_EQ(picture.height(), 3);
    EXPECT_TRUE(allPixelsAre(picture, 0xFFC8C8C8u));
    EXPECT_NE(shortScan.remark().find("3 of the 10 lines"), std::string::npos)
        << shortScan.remark();

    CScanAssembler longScan;
    ASSERT_TRUE(longScan.beginFrame({CScanAssembler::kGray, true, 4, 4, 2, 8}));
    const std::vector<uint8_t> more(4 * 5, 7);
    ASSERT_TRUE(longScan.addData(more.data(), more.size()));
    longScan.endFrame();
    ASSERT_TRUE(longScan.finish(picture));
    EXPECT_EQ(picture.height(), 2);
    EXPECT_TRUE(longScan.remark().empty());

    CScanAssembler nothing;
    ASSERT_TRUE(nothing.beginFrame({CScanAssembler::kRGB, true, 6, 2, 5, 8}));
    ASSERT_TRUE(nothing.addData(data.data(), 5)); // not even one line
    nothing.endFrame();
    EXPECT_FALSE(nothing.finish(picture));
    EXPECT_FALSE(nothing.error().empty());
}

TEST(SaneFrames, ImpossibleAnnouncementsAreRefused)
{
    const TScanFrame bad[] = {
        {7, true, 100, 100, 100, 8},                              // a compressed format
        {CScanAssembler::kGray, true, 100, 100, 100, 4},          // 4 bits a sample
        {CScanAssembler::kGray, true, 30001, 30001, 10, 8},       // too wide
        {CScanAssembler::kGray, true, 100, 100, 0, 8},            // no lines
        {CScanAssembler::kRGB, true, 299, 100, 10, 8},            // line shorter than its pixels
        {CScanAssembler::kRGB, true, 3 * 30000, 30000, 30000, 8}, // over 1 GiB
        {CScanAssembler::kGray, true, -1, 100, 10, 8},
    };
    for (const TScanFrame& frame : bad) {
        CScanAssembler assembler;
        EXPECT_FALSE(assembler.beginFrame(frame)) << frame.format << " " << frame.bytesPerLine;
        EXPECT_FALSE(assembler.error().empty());
    }

    // A hand scan may not grow without end either.
    CScanAssembler hand;
    ASSERT_TRUE(hand.beginFrame({CScanAssembler::kGray, true, 1, 1, -1, 8}));
    const std::vector<uint8_t> lines(kMaxScanSide, 0);
    ASSERT_TRUE(hand.addData(lines.data(), lines.size()));
    const uint8_t oneMore = 0;
    EXPECT_FALSE(hand.addData(&oneMore, 1));
    EXPECT_FALSE(hand.error().empty());

    // The later passes of a three-pass scan must match the first.
    CScanAssembler passes;
    ASSERT_TRUE(passes.beginFrame({CScanAssembler::kRed, false, 10, 10, 4, 8}));
    passes.endFrame();
    EXPECT_FALSE(passes.beginFrame({CScanAssembler::kGreen, false, 12, 12, 4, 8}));
}
