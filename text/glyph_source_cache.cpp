#include "text/glyph_source_cache.h"

#include "text/font_lookup.h"
#include "text/freetype_glyph.h"

#include <list>
#include <mutex>
#include <utility>

namespace qm {

namespace {

constexpr size_t kKeptSources = 4;

struct TKeptSources {
    std::mutex mutex;
    // Most recently used first.
    std::list<std::pair<TFontRecord, std::shared_ptr<CFontGlyph>>> sources;
};

TKeptSources& kept()
{
    static TKeptSources instance;
    return instance;
}

} // namespace

std::shared_ptr<CFontGlyph> sharedGlyphSource(const TFontRecord& font)
{
    TKeptSources& k = kept();
    std::lock_guard lock(k.mutex);
    for (auto it = k.sources.begin(); it != k.sources.end(); ++it) {
        if (it->first == font) {
            k.sources.splice(k.sources.begin(), k.sources, it);
            return k.sources.front().second;
        }
    }
    std::shared_ptr<CFontGlyph> source = CFreeTypeGlyph::open(font);
    if (!source) return nullptr;
    k.sources.emplace_front(font, source);
    if (k.sources.size() > kKeptSources) k.sources.pop_back();
    return source;
}

void dropSharedGlyphSources()
{
    TKeptSources& k = kept();
    std::lock_guard lock(k.mutex);
    k.sources.clear();
    refreshInstalledFonts();
}

} // namespace qm
