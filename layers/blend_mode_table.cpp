#include "layers/blend_mode_table.h"

#include <cstddef>

namespace qm {

namespace {

constexpr std::array<TModeInfo, kBlendModeCount> kModes = {{
    {0, "乗算", 0x00FFFFFFu, 0x00FFFFFFu, 0x20},
    {1, "加算", 0x00000000u, 0x00000000u, 0x20},
    {2, "減算", 0x00000000u, 0x00FFFFFFu, 0x21},
    {3, "標準", 0x00FFFFFFu, 0x00000000u, 0x00},
    {4, "スクリーン", 0x00000000u, 0x00000000u, 0x22},
    {5, "オーバーレイ", 0x007F7F7Fu, 0x007F7F7Fu, 0x26},
    {6, "ハードライト", 0x007F7F7Fu, 0x007F7F7Fu, 0x26},
    {7, "ソフトライト", 0x007F7F7Fu, 0x007F7F7Fu, 0x26},
    {8, "差の絶対値", 0x00000000u, 0x00000000u, 0x22},
    {9, "除外", 0x00000000u, 0x00000000u, 0x22},
    {10, "比較(暗)", 0x00FFFFFFu, 0x00FFFFFFu, 0x22},
    {11, "比較(明)", 0x00000000u, 0x00000000u, 0x22},
    {12, "焼き込み", 0x00FFFFFFu, 0x00FFFFFFu, 0x22},
    {13, "覆い焼き", 0x00000000u, 0x00000000u, 0x22},
    {14, "色相", 0x00000000u, 0x00FFFFFFu, 0x1A},
    {15, "彩度", 0x00000000u, 0x00FFFFFFu, 0x1A},
    {16, "カラー", 0x00000000u, 0x00FFFFFFu, 0x1A},
    {17, "輝度", 0x00000000u, 0x00FFFFFFu, 0x1A},
    {18, "減算(ネガ)", 0x00FFFFFFu, 0x00FFFFFFu, 0x20},
    {19, "リニアライト", 0x007F7F7Fu, 0x007F7F7Fu, 0x26},
    {20, "ビビッドライト", 0x00FFFFFFu, 0x00FFFFFFu, 0x02},
    {21, "ピンライト", 0x007F7F7Fu, 0x007F7F7Fu, 0x26},
}};

} // namespace

const std::array<uint8_t, kBlendModeCount> kModeListOrder = {
    3, 0, 1, 2, 18, 4, 5, 6, 7, 19, 20, 21, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

const TModeInfo* modeInfo(uint32_t mode)
{
    mode &= 0x7F;
    return mode < kModes.size() ? &kModes[mode] : nullptr;
}

uint32_t neutralColour(uint32_t mode)
{
    const TModeInfo* info = modeInfo(mode);
    return info ? info->neutral : 0x00FFFFFFu;
}

const char* modeName(uint32_t mode)
{
    const TModeInfo* info = modeInfo(mode);
    return info ? info->name : "";
}

uint32_t modeAtListPosition(int32_t position)
{
    if (position < 0 || position >= kBlendModeCount)
        return uint32_t(BlendMode::Normal);
    return kModeListOrder[std::size_t(position)];
}

int32_t listPositionOfMode(uint32_t mode)
{
    mode &= 0x7F;
    for (int32_t i = 0; i < kBlendModeCount; ++i)
        if (kModeListOrder[std::size_t(i)] == mode)
            return i;
    return -1;
}

} // namespace qm
