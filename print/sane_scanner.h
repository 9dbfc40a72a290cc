// Acquiring a picture from a scanner through SANE.
//
//  CSaneScanner    the scanning session: SANE is process-wide, so at most one is alive. It
//                  lists the devices and scans one picture from a device.
//  CScanAssembler  turns the frames a device sends (grey, RGB, or one colour band per pass;
//                  1, 8 or 16 bits a sample) into an opaque 32-bit picture, checking every
//                  size against what the device announced.
//
// Pictures are TMTC: 0xAARRGGBB little-endian (memory order blue, green, red, alpha), alpha 255.
#pragma once

#include "core/dib_core.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm {

// Pictures larger than this are refused: no flatbed or hand scan comes near it, and a device
// announcing more is broken.
inline constexpr int32_t kMaxScanSide = 30000;
inline constexpr int64_t kMaxScanBytes = int64_t(1) << 30;

struct TScanDevice {
    std::string name; // what scan() takes, e.g. "test:0"
    std::string vendor;
    std::string model;
    std::string type; // e.g. "flatbed scanner"
};

enum class TScanMode { deviceDefault, colour, gray };

struct TScanOptions {
    TScanMode mode = TScanMode::deviceDefault;
    int32_t resolution = 0; // dots per inch; 0 keeps the device's own
};

// Called while data arrives with the share done in per cent, or −1 when the device does not
// know how long its picture is (hand scanners). Returning false cancels the scan.
using TScanProgress = std::function<bool(int32_t percent)>;

enum class TScanStatus { done, cancelled, failed };

struct TScanResult {
    TScanStatus status = TScanStatus::failed;
    TMTC picture;
    int32_t resolution = 0; // the dpi the device scanned at; 0 when it does not say
    // failed: why, for the user; done: a remark when the picture is shorter than announced.
    std::string message;
};

// The values of one frame's SANE_Parameters (format uses SANE's frame numbers).
struct TScanFrame {
    int32_t format = 0;
    bool lastFrame = true;
    int32_t bytesPerLine = 0;
    int32_t pixelsPerLine = 0;
    int32_t lines = 0; // −1: not known in advance
    int32_t depth = 0;
};

class CScanAssembler {
  public:
    // SANE's frame numbers (sane.h), so this header needs no SANE header.
    enum : int32_t { kGray = 0, kRGB = 1, kRed = 2, kGreen = 3, kBlue = 4 };

    // False with error() when the frame cannot be taken: an unknown format or depth, sizes
    // out of range, or a later pass that does not match the first.
    bool beginFrame(const TScanFrame& frame);
    // Takes the next bytes of the current frame, in chunks of any size. Bytes past the
    // announced lines are ignored. False with error() when the picture outgrows the limits.
    bool addData(const uint8_t* data, size_t size);
    // The device said end of frame; a partly filled line is dropped.
    void endFrame();

    // The bytes the current frame announced (−1 when its length is unknown) and those taken.
    int64_t frameBytesAnnounced() const;
    int64_t frameBytesReceived() const { return frameBytes_; }
    int32_t framesDone() const { return framesDone_; }
    bool threePass() const { return threePass_; }

    // The complete lines every frame delivered, as the picture; false with error() when
    // there are none. remark() then says when fewer lines came than were announced.
    bool finish(TMTC& picture);
    const std::string& error() const { return error_; }
    const std::string& remark() const { return remark_; }

  private:
    bool fail(std::string text);
    bool ensureRows(int32_t rows);
    void convertLine(uint32_t* row) const;

    TScanFrame frame_;
    bool started_ = false;
    bool threePass_ = false;
    int32_t width_ = 0;
    int32_t announcedLines_ = -1; // the first frame's
    int32_t rows_ = 0;            // rows held in pixels_
    std::vector<uint32_t> pixels_;
    std::vector<uint8_t> line_;
    size_t lineFill_ = 0;
    int32_t frameLine_ = 0; // complete lines of the current frame
    int64_t frameBytes_ = 0;
    int32_t completeLines_ = -1; // fewest complete lines over the finished frames
    int32_t framesDone_ = 0;
    std::string error_;
    std::string remark_;
};

class CSaneScanner {
  public:
    // Starts SANE; on failure, or while another session is alive, ready() is false.
    CSaneScanner();
    ~CSaneScanner();
    CSaneScanner(const CSaneScanner&) = delete;
    CSaneScanner& operator=(const CSaneScanner&) = delete;

    bool ready() const { return ready_; }
    const std::string& error() const { return error_; }

    // Every device SANE finds, network scanners included. False with the error text.
    bool listDevices(std::vector<TScanDevice>& devices, std::string& error);

    // Scans one picture. Options the device lacks are left alone; a value outside the
    // device's range becomes the nearest one it offers.
    TScanResult scan(const std::string& deviceName, const TScanOptions& options,
                     const TScanProgress& progress = {});

  private:
    bool ready_ = false;
    std::string error_;
};

} // namespace qm
