// Which palette format a file name asks for, and the open and save dialogs' filters: their
// text, the extension a name without one gets from the chosen filter, and the filter the save
// dialog starts with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class PalKind : int32_t {
    Unknown = -1,
    Own = 0,      // ".qpl"
    TextCR = 1,   // ".pcs": colour-set text, lines ended by CR
    TextCRLF = 2, // ".txt": colour-set text, lines ended by CR LF
    Swatches = 3, // ".aco"
};

// By the extension, compared without regard to case; Unknown for any other (or none).
PalKind palKindOf(std::string_view path);

// The dialogs' filters in "label|patterns|label|patterns" form; filters count from 1.
inline constexpr const char* kPalOpenFilter =
    "Quillmere Palette (*.qpl)|*.QPL|Adobe Palette (*.aco)|*.ACO|"
    "Painter color set (*.pcs/*.txt)|*.PCS;*.TXT";
inline constexpr const char* kPalSaveFilter =
    "Quillmere Palette(*.qpl)|*.QPL|Adobe Palette(*.aco)|*.ACO|"
    "Painter color set (*.pcs/*.txt)|*.PCS;*.TXT";
inline constexpr int32_t kPalFilterOwn = 1, kPalFilterSwatches = 2, kPalFilterText = 3;

// One filter of a "label|patterns|…" list: the label without its parenthesised part and the
// patterns ("*.qpl", …) in lower case.
struct TPalFilter {
    std::string label;
    std::vector<std::string> patterns;
};
std::vector<TPalFilter> splitPalFilter(std::string_view filter);
// The same filters as "label (*.qpl *.QPL);;…": file dialogs on case-sensitive file systems
// need both spellings.
std::string palFilterForDialog(std::string_view filter);

// A chosen name without an extension gets one from the filter: 2 → ".aco", 3 → ".txt", any
// other → ".qpl". A name with an extension is returned as it is.
std::string withPalExtension(const std::string& path, int32_t filter);

// What the save dialog starts with: the filter of the current file's kind (own 1, text 3,
// swatches 2) and its name, or for another extension the name without it and the last used
// filter.
struct TPalSaveStart {
    int32_t filter = kPalFilterOwn;
    std::string name;
};
TPalSaveStart palSaveStart(const std::string& currentPath, int32_t lastFilter);

} // namespace qm
