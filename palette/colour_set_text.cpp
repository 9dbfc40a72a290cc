// Colour-set text files; see colour_set_text.h.
#include "palette/colour_set_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace qm {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether `line` continues with `token` at `at`, ignoring case.
bool startsWith(std::string_view line, size_t at, std::string_view token)
{
    if (line.size() - at < token.size()) return false;
    for (size_t i = 0; i < token.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[at + i])) != token[i]) return false;
    return true;
}

// A decimal number after optional blanks and a sign, as the C library's atoi reads one (0
// when there are no digits), saturated to the int32_t range; `at` moves past it.
int32_t readNumber(std::string_view line, size_t& at)
{
    while (at < line.size() && isBlank(line[at]))
        ++at;
    bool negative = false;
    if (at < line.size() && (line[at] == '-' || line[at] == '+')) negative = line[at++] == '-';
    int64_t value = 0;
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
        value = std::min<int64_t>(value * 10 + (line[at] - '0'), int64_t(INT32_MAX) + 1);
        ++at;
    }
    if (negative) value = -value;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

struct TLineColour {
    TPalEntry entry;
    bool any = false;
};

void readLine(std::string_view line, TPalRead& read, TLineColour& colour)
{
    struct TSizeToken {
        std::string_view text;
        int32_t TPalGrid::*field; // nullptr: read and ignored
    };
    static constexpr TSizeToken kSizes[] = {
        {"ROWS ", &TPalGrid::rows},       {"COLS ", &TPalGrid::columns},
        {"WIDTH ", &TPalGrid::cellWidth}, {"HEIGHT ", &TPalGrid::cellHeight},
        {"TEXTHEIGHT ", nullptr},         {"SPACING ", nullptr}};
    static constexpr std::string_view kChannels[] = {"R:", "G:", "B:"};

    size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at]) || line[at] == ',') {
            ++at;
            continue;
        }
        bool matched = false;
        for (const TSizeToken& t : kSizes)
            if (startsWith(line, at, t.text)) {
                at += t.text.size();
                const int32_t value = readNumber(line, at);
                if (t.field) read.grid.*t.field = value;
                matched = true;
                break;
            }
        for (size_t c = 0; !matched && c < 3; ++c)
            if (startsWith(line, at, kChannels[c])) {
                at += kChannels[c].size();
                const uint8_t value = uint8_t(readNumber(line, at));
                (c == 0   ? colour.entry.red
                 : c == 1 ? colour.entry.green
                          : colour.entry.blue) = value;
                colour.any = true;
                matched = true;
            }
        if (!matched)
            while (at < line.size() && !isBlank(line[at]))
                ++at;
    }
}

} // namespace

TPalRead readColourSetText(std::span<const uint8_t> bytes)
{
    TPalRead read;
    read.entries.reserve(256);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) break; // a last line without its line end is not counted
        TLineColour colour;
        readLine(text.substr(start, end - start), read, colour);
        if (colour.any) read.entries.push_back(colour.entry);
        start = end + 1;
    }
    read.result = int32_t(std::min<size_t>(read.entries.size(), INT32_MAX));
    read.announced = read.result;
    return read;
}

std::string writeColourSetText(const CPalette& palette, bool crlf)
{
    const char* end = crlf ? "\r\n" : "\r";
    const TPalGrid& g = palette.grid();
    std::string out;
    char line[64];
    const std::pair<const char*, int32_t> sizes[] = {
        {"ROWS %d", g.rows},         {"COLS %d", g.columns}, {"WIDTH %d", g.cellWidth},
        {"HEIGHT %d", g.cellHeight}, {"TEXTHEIGHT %d", 0},   {"SPACING %d", 1}};
    for (const auto& [format, value] : sizes) {
        std::snprintf(line, sizeof line, format, int(value));
        out += line;
        out += end;
    }
    for (const TPalEntry& e : palette.entries()) {
        std::snprintf(line, sizeof line, "R:%3.3d, G:%3.3d, B:%3.3d", int(e.red), int(e.green),
                      int(e.blue));
        out += line;
        out += end;
    }
    return out;
}

} // namespace qm
