// Palette file kinds and dialog filters; see palette_kind.h.
#include "palette/palette_kind.h"

#include <algorithm>
#include <cctype>

namespace qm {

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

std::string upper(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return out;
}

// The extension of the last path component with its dot ("" when there is none; a leading
// dot alone, as in ".qpl", names a hidden file, not an extension).
std::string_view extensionOf(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

PalKind palKindOf(std::string_view path)
{
    const std::string extension = lower(extensionOf(path));
    if (extension == ".qpl") return PalKind::Own;
    if (extension == ".pcs") return PalKind::TextCR;
    if (extension == ".txt") return PalKind::TextCRLF;
    if (extension == ".aco") return PalKind::Swatches;
    return PalKind::Unknown;
}

std::vector<TPalFilter> splitPalFilter(std::string_view filter)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string_view::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::vector<TPalFilter> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        TPalFilter f;
        std::string_view label = parts[i];
        if (const size_t open = label.find('('); open != std::string_view::npos)
            label = label.substr(0, open);
        f.label = std::string(trimmed(label));
        std::string_view patterns = parts[i + 1];
        while (!patterns.empty()) {
            const size_t semicolon = patterns.find(';');
            const std::string_view one = trimmed(patterns.substr(0, semicolon));
            if (!one.empty()) f.patterns.push_back(lower(one));
            if (semicolon == std::string_view::npos) break;
            patterns.remove_prefix(semicolon + 1);
        }
        filters.push_back(std::move(f));
    }
    return filters;
}

std::string palFilterForDialog(std::string_view filter)
{
    std::string out;
    for (const TPalFilter& f : splitPalFilter(filter)) {
        if (!out.empty()) out += ";;";
        out += f.label + " (";
        bool first = true;
        for (const bool capitals : {false, true})
            for (const std::string& p : f.patterns) {
                if (!first) out += ' ';
                out += capitals ? upper(p) : p;
                first = false;
            }
        out += ')';
    }
    return out;
}

std::string withPalExtension(const std::string& path, int32_t filter)
{
    if (path.empty() || !extensionOf(path).empty()) return path;
    switch (filter) {
    case kPalFilterSwatches:
        return path + ".aco";
    case kPalFilterText:
        return path + ".txt";
    default:
        return path + ".qpl";
    }
}

TPalSaveStart palSaveStart(const std::string& currentPath, int32_t lastFilter)
{
    switch (palKindOf(currentPath)) {
    case PalKind::Own:
        return {kPalFilterOwn, currentPath};
    case PalKind::TextCR:
    case PalKind::TextCRLF:
        return {kPalFilterText, currentPath};
    case PalKind::Swatches:
        return {kPalFilterSwatches, currentPath};
    case PalKind::Unknown:
        break;
    }
    const std::string_view extension = extensionOf(currentPath);
    return {lastFilter, currentPath.substr(0, currentPath.size() - extension.size())};
}

} // namespace qm
