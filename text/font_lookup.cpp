#include "text/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace qm {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

} // namespace

void refreshInstalledFonts()
{
    FcInitBringUptoDate();
}

std::optional<TFontFile> findFontFile(const std::string& family, bool bold, bool italic,
                                      char32_t character)
{
    Pattern pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    if (!family.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (character != 0) {
        FcCharSet* wanted = FcCharSetCreate();
        if (wanted == nullptr) return std::nullopt;
        FcCharSetAddChar(wanted, FcChar32(character));
        FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted); // the pattern takes a copy
        FcCharSetDestroy(wanted);
    }
    // The current configuration (null) is loaded on first use and kept for the program's life.
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return std::nullopt;
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match || result != FcResultMatch) return std::nullopt;

    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr)
        return std::nullopt;
    TFontFile out;
    out.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &out.index);
    return out;
}

} // namespace qm
