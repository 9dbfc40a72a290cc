#include "print/sane_scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qm {

namespace {

// A device would have to be very broken to pad a line by more than this.
constexpr int64_t kMaxBytesPerLine = int64_t(1) << 24;
// Grey and RGB come in one frame, three-pass colour in three.
constexpr int32_t kMaxFrames = 3;

std::atomic<bool> g_sessionAlive{false};

std::string statusText(SANE_Status status)
{
    const char* text = sane_strstatus(status);
    return text ? text : "unknown error " + std::to_string(int(status));
}

std::string failedTo(const char* what, SANE_Status status)
{
    return std::string(what) + ": " + statusText(status) + ".";
}

std::string orEmpty(const char* text)
{
    return text ? text : "";
}

int32_t channelsOf(int32_t format)
{
    return format == CScanAssembler::kRGB ? 3 : 1;
}

// Sample `index` of a line scaled to 8 bits. 16-bit samples are in host order and keep their
// high byte; 1-bit samples are packed leftmost pixel in the most significant bit.
inline uint32_t sample8(const uint8_t* line, int64_t index, int32_t depth)
{
    if (depth == 8) return line[index];
    if (depth == 16) {
        uint16_t value;
        std::memcpy(&value, line + 2 * index, 2);
        return value >> 8;
    }
    return (line[index >> 3] >> (7 - (index & 7))) & 1 ? 255 : 0;
}

} // namespace

// ---- Assembling the picture ----

bool CScanAssembler::fail(std::string text)
{
    error_ = std::move(text);
    return false;
}

int64_t CScanAssembler::frameBytesAnnounced() const
{
    return frame_.lines < 0 ? -1 : int64_t(frame_.bytesPerLine) * frame_.lines;
}

bool CScanAssembler::beginFrame(const TScanFrame& frame)
{
    if (frame.format < kGray || frame.format > kBlue)
        return fail("The scanner sends pictures in a form this program cannot read (frame format " +
                    std::to_string(frame.format) + ").");
    if (frame.depth != 1 && frame.depth != 8 && frame.depth != 16)
        return fail("The scanner sends " + std::to_string(frame.depth) +
                    " bits a sample; this program reads 1, 8 and 16.");
    if (frame.pixelsPerLine < 1 || frame.pixelsPerLine > kMaxScanSide ||
        (frame.lines != -1 && (frame.lines < 1 || frame.lines > kMaxScanSide)))
        return fail("The scanner announces a picture of " + std::to_string(frame.pixelsPerLine) +
                    " × " + std::to_string(frame.lines) + " pixels, which cannot be taken.");
    const int64_t neededBytes =
        (int64_t(frame.pixelsPerLine) * channelsOf(frame.format) * frame.depth + 7) / 8;
    if (frame.bytesPerLine < neededBytes || frame.bytesPerLine > kMaxBytesPerLine)
        return fail("The scanner announces " + std::to_string(frame.bytesPerLine) +
                    " bytes a line for " + std::to_string(frame.pixelsPerLine) +
                    " pixels, which does not fit.");
    if (frame.lines > 0 && (int64_t(frame.bytesPerLine) * frame.lines > kMaxScanBytes ||
                            int64_t(frame.pixelsPerLine) * frame.lines * 4 > kMaxScanBytes))
        return fail("The picture would be larger than 1 GiB: scan a smaller area or at a lower "
                    "resolution.");

    const bool bandFrame = frame.format >= kRed;
    if (!started_) {
        started_ = true;
        threePass_ = bandFrame;
        width_ = frame.pixelsPerLine;
        announcedLines_ = frame.lines;
        if (frame.lines > 0 && !ensureRows(frame.lines)) return false;
    } else if (!threePass_ || !bandFrame || frame.pixelsPerLine != width_ ||
               frame.depth != frame_.depth || frame.lines != announcedLines_) {
        return fail("The scanner's colour passes do not match each other.");
    }
    frame_ = frame;
    line_.assign(size_t(frame.bytesPerLine), 0);
    lineFill_ = 0;
    frameLine_ = 0;
    frameBytes_ = 0;
    return true;
}

bool CScanAssembler::ensureRows(int32_t rows)
{
    if (rows <= rows_) return true;
    if (rows > kMaxScanSide || int64_t(width_) * rows * 4 > kMaxScanBytes)
        return fail("The scanned picture grows beyond " + std::to_string(kMaxScanSide) +
                    " lines or 1 GiB; the scan was stopped.");
    // Unknown lengths grow by half again, so a long hand scan copies its rows a few times only.
    int32_t target = rows;
    if (announcedLines_ < 0)
        target = std::max(rows, int32_t(std::min<int64_t>(kMaxScanSide, rows_ + rows_ / 2 + 64)));
    while (target > rows && int64_t(width_) * target * 4 > kMaxScanBytes)
        --target;
    try {
        pixels_.resize(size_t(width_) * size_t(target), 0xFF000000u);
    } catch (const std::bad_alloc&) {
        return fail("There is not enough memory for the scanned picture.");
    }
    rows_ = target;
    return true;
}

void CScanAssembler::convertLine(uint32_t* row) const
{
    const uint8_t* line = line_.data();
    const int32_t depth = frame_.depth;
    switch (frame_.format) {
    case kGray:
        for (int32_t x = 0; x < width_; ++x) {
            uint32_t v = sample8(line, x, depth);
            if (depth == 1) // lineart: a set bit is black
                v = 255 - v;
            row[x] = 0xFF000000u | v << 16 | v << 8 | v;
        }
        break;
    case kRGB:
        for (int32_t x = 0; x < width_; ++x) {
            const int64_t s = int64_t(x) * 3;
            row[x] = 0xFF000000u | sample8(line, s, depth) << 16 |
                     sample8(line, s + 1, depth) << 8 | sample8(line, s + 2, depth);
        }
        break;
    default: { // one colour band of a three-pass scan
        const int shift = frame_.format == kRed ? 16 : frame_.format == kGreen ? 8 : 0;
        const uint32_t keep = ~(0xFFu << shift);
        for (int32_t x = 0; x < width_; ++x)
            row[x] = (row[x] & keep) | sample8(line, x, depth) << shift;
        break;
    }
    }
}

bool CScanAssembler::addData(const uint8_t* data, size_t size)
{
    frameBytes_ += int64_t(size);
    while (size > 0) {
        const size_t take = std::min(size, line_.size() - lineFill_);
        std::memcpy(line_.data() + lineFill_, data, take);
        lineFill_ += take;
        data += take;
        size -= take;
        if (lineFill_ < line_.size()) break;
        lineFill_ = 0;
        if (frame_.lines > 0 && frameLine_ >= frame_.lines)
            continue; // past the announced picture: nothing to hold it
        if (!ensureRows(frameLine_ + 1)) return false;
        convertLine(pixels_.data() + size_t(frameLine_) * size_t(width_));
        ++frameLine_;
    }
    return true;
}

void CScanAssembler::endFrame()
{
    completeLines_ = completeLines_ < 0 ? frameLine_ : std::min(completeLines_, frameLine_);
    lineFill_ = 0;
    ++framesDone_;
}

bool CScanAssembler::finish(TMTC& picture)
{
    remark_.clear();
    if (!started_ || completeLines_ <= 0)
        return fail("The scanner delivered no complete line of picture.");
    const int32_t height = completeLines_;
    if (!picture.Resize(width_, height))
        return fail("There is not enough memory for the scanned picture.");
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(picture.row(y), pixels_.data() + size_t(y) * size_t(width_),
                    size_t(width_) * 4);
    if (announcedLines_ > 0 && height < announcedLines_)
        remark_ = "The scanner delivered " + std::to_string(height) + " of the " +
                  std::to_string(announcedLines_) +
                  " lines it announced; the picture holds the complete lines.";
    else if (threePass_ && framesDone_ < 3)
        remark_ = "The scanner delivered " + std::to_string(framesDone_) +
                  " of the three colour passes; the missing colours are black.";
    return true;
}

// ---- The session ----

CSaneScanner::CSaneScanner()
{
    if (g_sessionAlive.exchange(true)) {
        error_ = "Another scanning session is already open.";
        return;
    }
    SANE_Int version = 0;
    const SANE_Status status = sane_init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
        error_ = failedTo("Scanning could not be started", status);
        g_sessionAlive = false;
        return;
    }
    ready_ = true;
}

CSaneScanner::~CSaneScanner()
{
    if (!ready_) return;
    sane_exit();
    g_sessionAlive = false;
}

bool CSaneScanner::listDevices(std::vector<TScanDevice>& devices, std::string& error)
{
    devices.clear();
    if (!ready_) {
        error = error_;
        return false;
    }
    const SANE_Device** list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        error = failedTo("The scanners could not be listed", status);
        return false;
    }
    for (size_t i = 0; list && list[i]; ++i)
        devices.push_back({orEmpty(list[i]->name), orEmpty(list[i]->vendor),
                           orEmpty(list[i]->model), orEmpty(list[i]->type)});
    return true;
}

namespace {

// Options are looked up by name every time: setting one may make the device rebuild its list
// (SANE_INFO_RELOAD_OPTIONS), and an earlier index or descriptor may then be stale.
const SANE_Option_Descriptor* findOption(SANE_Handle handle, const char* name, SANE_Int& index)
{
    SANE_Int count = 0;
    if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return nullptr;
    for (SANE_Int i = 1; i < std::min<SANE_Int>(count, 100000); ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, i);
        if (option && option->name && std::strcmp(option->name, name) == 0) {
            index = i;
            return option;
        }
    }
    return nullptr;
}

bool settable(const SANE_Option_Descriptor* option)
{
    return option && SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap);
}

std::string lowered(const char* text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// The device's name for the wanted mode: the standard one, else one that says colour or grey
// (backends are free to call them "24bit Color" or "True Gray").
const char* modeValue(const SANE_Option_Descriptor* option, TScanMode mode)
{
    const char* standard =
        mode == TScanMode::colour ? SANE_VALUE_SCAN_MODE_COLOR : SANE_VALUE_SCAN_MODE_GRAY;
    const auto* list = option->constraint.string_list;
    for (size_t i = 0; list[i]; ++i)
        if (std::strcmp(list[i], standard) == 0) return list[i];
    for (size_t i = 0; list[i]; ++i) {
        const std::string name = lowered(list[i]);
        const bool found = mode == TScanMode::colour ? name.find("colo") != std::string::npos
                                                     : name.find("gray") != std::string::npos ||
                                                           name.find("grey") != std::string::npos;
        if (found && name.find("lineart") == std::string::npos) return list[i];
    }
    return nullptr;
}

bool setMode(SANE_Handle handle, TScanMode mode, std::string& error)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor* option = findOption(handle, SANE_NAME_SCAN_MODE, index);
    if (mode == TScanMode::deviceDefault || !settable(option) || option->type != SANE_TYPE_STRING ||
        option->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return true;
    const char* value = modeValue(option, mode);
    if (!value || option->size <= 0 || std::strlen(value) >= size_t(option->size))
        return true; // the device has no such mode: it scans in its own
    std::vector<char> buffer(size_t(option->size), 0);
    std::memcpy(buffer.data(), value, std::strlen(value));
    SANE_Int info = 0;
    const SANE_Status status =
        sane_control_option(handle, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
    if (status != SANE_STATUS_GOOD) {
        error = failedTo("The scan mode could not be set", status);
        return false;
    }
    return true;
}

// The value the constraint allows nearest to `wanted` (all in the option's own unit).
SANE_Word constrained(const SANE_Option_Descriptor* option, SANE_Word wanted)
{
    if (option->constraint_type == SANE_CONSTRAINT_RANGE && option->constraint.range) {
        const SANE_Range& range = *option->constraint.range;
        int64_t value = std::clamp<int64_t>(wanted, range.min, std::max(range.min, range.max));
        if (range.quant > 0) {
            const int64_t steps =
                (value - range.min + range.quant / 2) / range.quant; // rounded to a step
            value = range.min + steps * range.quant;
            if (value > range.max) value -= range.quant;
        }
        return SANE_Word(value);
    }
    if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST && option->constraint.word_list &&
        option->constraint.word_list[0] > 0) {
        const SANE_Word* list = option->constraint.word_list;
        SANE_Word best = list[1];
        for (SANE_Int i = 2; i <= list[0]; ++i)
            if (std::llabs(int64_t(list[i]) - wanted) < std::llabs(int64_t(best) - wanted))
                best = list[i];
        return best;
    }
    return wanted;
}

bool setResolution(SANE_Handle handle, int32_t dpi, std::string& error)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor* option = findOption(handle, SANE_NAME_SCAN_RESOLUTION, index);
    if (dpi <= 0 || !settable(option) || option->size != sizeof(SANE_Word) ||
        (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED))
        return true;
    const int32_t clampedDpi = std::min(dpi, 100000); // keeps SANE_FIX in range
    SANE_Word value = option->type == SANE_TYPE_FIXED ? SANE_FIX(clampedDpi) : clampedDpi;
    value = constrained(option, value);
    SANE_Int info = 0;
    const SANE_Status status =
        sane_control_option(handle, index, SANE_ACTION_SET_VALUE, &value, &info);
    if (status != SANE_STATUS_GOOD) {
        error = failedTo("The resolution could not be set", status);
        return false;
    }
    return true;
}

// The resolution the device will scan at, as it now reports it (it may have rounded ours).
int32_t currentResolution(SANE_Handle handle)
{
    SANE_Int index = 0;
    const SANE_Option_Descriptor* option = findOption(handle, SANE_NAME_SCAN_RESOLUTION, index);
    if (!option || !SANE_OPTION_IS_ACTIVE(option->cap) || option->size != sizeof(SANE_Word) ||
        (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED))
        return 0;
    SANE_Word value = 0;
    if (sane_control_option(handle, index, SANE_ACTION_GET_VALUE, &value, nullptr) !=
        SANE_STATUS_GOOD)
        return 0;
    const double dpi = option->type == SANE_TYPE_FIXED ? SANE_UNFIX(value) : double(value);
    return dpi > 0 && dpi <= 100000 ? int32_t(std::lround(dpi)) : 0;
}

// Closes the device on every way out; an unfinished scan is cancelled first.
class TOpenDevice {
  public:
    explicit TOpenDevice(SANE_Handle handle) : handle_(handle) {}
    ~TOpenDevice()
    {
        sane_cancel(handle_);
        sane_close(handle_);
    }
    TOpenDevice(const TOpenDevice&) = delete;
    TOpenDevice& operator=(const TOpenDevice&) = delete;
    SANE_Handle get() const { return handle_; }

  private:
    SANE_Handle handle_;
};

int32_t percentDone(const CScanAssembler& assembler)
{
    const int64_t frameBytes = assembler.frameBytesAnnounced();
    if (frameBytes <= 0) return -1;
    const int64_t frames = assembler.threePass() ? 3 : 1;
    const int64_t done = std::min<int64_t>(assembler.framesDone(), frames - 1) * frameBytes +
                         std::min(assembler.frameBytesReceived(), frameBytes);
    return int32_t(done * 100 / (frames * frameBytes));
}

} // namespace

TScanResult CSaneScanner::scan(const std::string& deviceName, const TScanOptions& options,
                               const TScanProgress& progress)
{
    TScanResult result;
    auto failed = [&](std::string text) {
        result.status = TScanStatus::failed;
        result.message = std::move(text);
        return std::move(result);
    };
    auto cancelled = [&] {
        result.status = TScanStatus::cancelled;
        result.message.clear();
        return std::move(result);
    };
    if (!ready_) return failed(error_);

    SANE_Handle handle = nullptr;
    const SANE_Status opened = sane_open(deviceName.c_str(), &handle);
    if (opened != SANE_STATUS_GOOD || !handle)
        return failed(failedTo("The scanner could not be opened", opened));
    TOpenDevice device(handle);

    // The mode first: changing it may change the resolutions on offer.
    std::string error;
    if (!setMode(handle, options.mode, error) || !setResolution(handle, options.resolution, error))
        return failed(error);
    result.resolution = currentResolution(handle);

    CScanAssembler assembler;
    std::vector<SANE_Byte> buffer(size_t(1) << 16);
    for (int32_t frameIndex = 0; frameIndex < kMaxFrames; ++frameIndex) {
        SANE_Status status = sane_start(handle);
        if (status == SANE_STATUS_CANCELLED) return cancelled();
        if (status != SANE_STATUS_GOOD)
            return failed(failedTo("The scan could not be started", status));
        // Read after the start: only now are the parameters exact.
        SANE_Parameters parameters{};
        status = sane_get_parameters(handle, &parameters);
        if (status != SANE_STATUS_GOOD)
            return failed(failedTo("The picture's size could not be read", status));
        const TScanFrame frame{int32_t(parameters.format), parameters.last_frame != SANE_FALSE,
                               parameters.bytes_per_line,  parameters.pixels_per_line,
                               parameters.lines,           parameters.depth};
        if (!assembler.beginFrame(frame)) return failed(assembler.error());
        for (;;) {
            if (progress && !progress(percentDone(assembler)))
                return cancelled(); // the device is cancelled as it closes
            SANE_Int length = 0;
            status = sane_read(handle, buffer.data(), SANE_Int(buffer.size()), &length);
            if (status == SANE_STATUS_EOF) break;
            if (status == SANE_STATUS_CANCELLED) return cancelled();
            if (status != SANE_STATUS_GOOD) return failed(failedTo("The scan stopped", status));
            if (length < 0 || size_t(length) > buffer.size())
                return failed("The scanner reported more data than it was given room for.");
            if (!assembler.addData(buffer.data(), size_t(length))) return failed(assembler.error());
        }
        assembler.endFrame();
        if (frame.lastFrame) break;
    }
    if (!assembler.finish(result.picture)) return failed(assembler.error());
    result.status = TScanStatus::done;
    result.message = assembler.remark();
    return result;
}

} // namespace qm
