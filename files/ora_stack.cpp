#include "files/ora_stack.h"

#include "files/ora_xml.h"
#include "files/psd_document.h"
#include "layers/blend_mode_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace qm {
namespace {

constexpr const char* kOwnPrefix = "qm";

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::optional<double> parseReal(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Integers, also when another program writes them with a fraction ("12.0").
std::optional<int64_t> parseInteger(std::string_view text)
{
    const std::optional<double> real = parseReal(text);
    if (!real || std::fabs(*real) > 1e12) return std::nullopt;
    return int64_t(std::llround(*real));
}

std::string realText(double value)
{
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string("1");
}

// The valid UTF-8 form of a name, so the file is well-formed XML whatever the layer holds.
std::string cleanUtf8(std::string_view text)
{
    return utf8FromUtf16(utf16FromUtf8(text));
}

// The state a nested stack hands down to what it holds.
struct Inherited {
    int64_t x = 0;
    int64_t y = 0;
    bool visible = true;
    double opacity = 1.0;
};

class StackReader {
  public:
    explicit StackReader(std::string ownPrefix) : own_(std::move(ownPrefix)) {}

    OraError rootStack(const TXmlElement& element, std::vector<TOraStackLayer>& topFirst)
    {
        Inherited state;
        const OraError error = common(element, state);
        return error != OraError::None ? error : stack(element, state, topFirst);
    }

    OraError stack(const TXmlElement& element, const Inherited& outer,
                   std::vector<TOraStackLayer>& topFirst)
    {
        for (const TXmlElement& child : element.children) {
            if (child.name != "stack" && child.name != "layer") continue;
            Inherited here = outer;
            OraError error = common(child, here);
            if (error != OraError::None) return error;
            if (child.name == "stack") {
                error = stack(child, here, topFirst);
            } else {
                if (topFirst.size() >= size_t(kOraMaxLayers)) return OraError::TooManyLayers;
                error = layer(child, here, topFirst.emplace_back());
            }
            if (error != OraError::None) return error;
        }
        return OraError::None;
    }

  private:
    // x, y, visibility and opacity, which stacks and layers share.
    OraError common(const TXmlElement& element, Inherited& state)
    {
        for (const char* axis : {"x", "y"}) {
            if (const std::string* text = element.attribute(axis)) {
                const std::optional<int64_t> v = parseInteger(*text);
                if (!v) return OraError::BadStack;
                int64_t& target = axis[0] == 'x' ? state.x : state.y;
                target += *v;
                if (target < -kOraMaxOffset || target > kOraMaxOffset) return OraError::BadSize;
            }
        }
        if (const std::string* text = element.attribute("visibility"))
            state.visible = state.visible && trimmed(*text) != "hidden";
        if (const std::string* text = element.attribute("opacity")) {
            const std::optional<double> v = parseReal(*text);
            if (!v) return OraError::BadStack;
            state.opacity *= std::clamp(*v, 0.0, 1.0);
        }
        return OraError::None;
    }

    // One of our own attributes, a byte; `out` keeps its value when the attribute is absent.
    OraError ownByte(const TXmlElement& element, const char* key, uint8_t& out)
    {
        if (own_.empty()) return OraError::None;
        const std::string* text = element.attribute(own_ + ":" + key);
        if (!text) return OraError::None;
        const std::optional<int64_t> v = parseInteger(*text);
        if (!v || *v < 0 || *v > 255) return OraError::BadStack;
        out = uint8_t(*v);
        return OraError::None;
    }

    OraError layer(const TXmlElement& element, const Inherited& state, TOraStackLayer& out)
    {
        const std::string* src = element.attribute("src");
        if (!src || src->empty()) return OraError::BadStack;
        out.src = *src;
        TOraLayer& layer = out.layer;
        if (const std::string* name = element.attribute("name")) layer.name = cleanUtf8(*name);
        layer.x = int32_t(state.x);
        layer.y = int32_t(state.y);
        layer.visible = state.visible;
        layer.opacity = uint8_t(std::lround(state.opacity * 255.0));
        if (const std::string* op = element.attribute("composite-op"))
            layer.mode = modeFromCompositeOp(trimmed(*op));
        uint8_t mode = layer.mode;
        for (const auto& [key, target] : {std::pair<const char*, uint8_t*>{"mode", &mode},
                                          {"protect-alpha", &layer.protectAlpha},
                                          {"blend-noise", &layer.blendNoise},
                                          {"blend-amount", &layer.blendAmount}}) {
            if (const OraError error = ownByte(element, key, *target); error != OraError::None)
                return error;
        }
        // Our exact number wins over the composite operation, unless it names no mode.
        if ((mode & 0x7F) < kBlendModeCount) layer.mode = mode;
        return OraError::None;
    }

    std::string own_;
};

// The prefix the root binds to our namespace; "" when the file is not one of ours.
std::string ownPrefix(const TXmlElement& root)
{
    for (const auto& [key, value] : root.attributes)
        if (key.starts_with("xmlns:") && trimmed(value) == kOraOwnNamespace) return key.substr(6);
    return {};
}

} // namespace

std::string oraLayerEntryName(size_t n)
{
    return "data/layer" + std::to_string(n) + ".png";
}

std::string stackXml(const TOraDocument& doc)
{
    const std::string dpi = std::to_string(doc.dpi > 0 ? doc.dpi : 72);
    std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n";
    xml += "<image version=\"" + std::string(kOraStackVersion) + "\" w=\"" +
           std::to_string(doc.width) + "\" h=\"" + std::to_string(doc.height) + "\" xres=\"" + dpi +
           "\" yres=\"" + dpi + "\" xmlns:" + kOwnPrefix + "=\"" + kOraOwnNamespace + "\">\n";
    xml += " <stack>\n";
    for (size_t i = doc.layers.size(); i-- > 0;) {
        const TOraLayer& layer = doc.layers[i];
        const auto own = [&](const char* key, int value) {
            return std::string(" ") + kOwnPrefix + ":" + key + "=\"" + std::to_string(value) + "\"";
        };
        xml += "  <layer name=\"" + xmlEscape(cleanUtf8(layer.name)) + "\" src=\"" +
               oraLayerEntryName(i) + "\" x=\"" + std::to_string(layer.x) + "\" y=\"" +
               std::to_string(layer.y) + "\" opacity=\"" + realText(layer.opacity / 255.0) +
               "\" visibility=\"" + (layer.visible ? "visible" : "hidden") + "\" composite-op=\"" +
               compositeOpFromMode(layer.mode) + "\"" + own("mode", layer.mode) +
               own("protect-alpha", layer.protectAlpha) + own("blend-noise", layer.blendNoise) +
               own("blend-amount", layer.blendAmount) + "/>\n";
    }
    xml += " </stack>\n</image>\n";
    return xml;
}

OraError parseStack(std::string_view xml, TOraStack& out)
{
    TXmlElement root;
    if (!parseXml(xml, root) || root.name != "image") return OraError::BadStack;
    const std::string* w = root.attribute("w");
    const std::string* h = root.attribute("h");
    if (!w || !h) return OraError::BadStack;
    const std::optional<int64_t> width = parseInteger(*w), height = parseInteger(*h);
    if (!width || !height) return OraError::BadStack;
    if (*width < 1 || *width > kOraMaxSide || *height < 1 || *height > kOraMaxSide)
        return OraError::BadSize;
    TOraStack stack;
    stack.width = int32_t(*width);
    stack.height = int32_t(*height);
    if (const std::string* xres = root.attribute("xres")) {
        const std::optional<double> dpi = parseReal(*xres);
        if (!dpi) return OraError::BadStack;
        // Nonsense resolutions are not worth refusing a picture for.
        if (*dpi >= 1 && *dpi <= 100000) stack.dpi = int32_t(std::lround(*dpi));
    }
    StackReader reader(ownPrefix(root));
    std::vector<TOraStackLayer> topFirst;
    for (const TXmlElement& child : root.children) {
        if (child.name != "stack") continue;
        if (const OraError error = reader.rootStack(child, topFirst); error != OraError::None)
            return error;
        break; // the image holds one root stack
    }
    stack.layers.assign(std::make_move_iterator(topFirst.rbegin()),
                        std::make_move_iterator(topFirst.rend()));
    out = std::move(stack);
    return OraError::None;
}

} // namespace qm
