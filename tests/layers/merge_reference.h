// The merge formulas written plainly, pixel by pixel, as a yardstick for the merge code.
#pragma once

#include "blend_reference.h"
#include "layers/blend_mode_table.h"

namespace qm::reference {

struct Px {
    int c[3]; // blue, green, red
    int a;
};

inline Px split(uint32_t p)
{
    return {{byteOf(p, 0), byteOf(p, 1), byteOf(p, 2)}, int(p >> 24)};
}

inline uint32_t join(const Px& p)
{
    return uint32_t(p.a) << 24 | uint32_t(p.c[2]) << 16 | uint32_t(p.c[1]) << 8 | uint32_t(p.c[0]);
}

inline int mul(int a, int b)
{
    return a * b / 255;
}

// UnionMerge with a base colour, flags and the two modes' paint functions.
inline uint32_t unionMerge(uint32_t P, uint32_t S, int o, uint32_t base, uint32_t flags,
                           int targetMode, int sourceMode)
{
    Px p = split(P);
    const int A = p.a, E = mul(int(S >> 24), o), J = mul(A, E), U = A + E - J;
    p.a = U;
    if (U == 0) return join(p);
    uint32_t x = (flags & 0x08) ? S : base;
    x = paint(targetMode, x, P, uint32_t(A));
    x = paint(sourceMode, x, S, uint32_t(E));
    for (int i = 0; i < 3; ++i)
        p.c[i] = clamp(byteOf(x, i) * 255 / U);
    return join(p);
}

inline uint32_t merge(int mode, uint32_t P, uint32_t S, int o)
{
    Px p = split(P);
    const Px s = split(S);
    const int A = p.a, E = mul(s.a, o), J = mul(A, E), U = A + E - J;
    switch (mode) {
    case 1:
    case 2: {
        const int e = mul(s.a, o), j = mul(A, e);
        if (A + e == j) return P;
        const int u = (A > 0 && e > 0) ? 255 : A + e - j;
        for (int i = 0; i < 3; ++i)
            p.c[i] = clamp((p.c[i] * A + s.c[i] * e) / u);
        p.a = u;
        return join(p);
    }
    case 3: {
        const int alpha = mul(o, s.a);
        if (alpha == 0) return P;
        if (alpha == 255) return 0xFF000000u | (S & 0x00FFFFFFu);
        uint32_t q = P;
        if (A == 255) {
            PaintNormal(&q, S, uint32_t(alpha));
            return q;
        }
        const int newA = A + mul(alpha, 255 - A);
        q = (q & 0x00FFFFFFu) | uint32_t(newA) << 24;
        PaintNormal(&q, S, uint32_t(alpha * 255 / newA));
        return q;
    }
    case 0:
    case 4:
    case 8:
    case 10:
    case 11:
        break;
    default: {
        const uint32_t base[22] = {0xFFFFFF, 0,        0xFFFFFF, 0,        0,        0x7F7F7F,
                                   0x7F7F7F, 0x7F7F7F, 0,        0,        0xFFFFFF, 0,
                                   0xFFFFFF, 0,        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                   0xFFFFFF, 0x7F7F7F, 0xFFFFFF, 0x7F7F7F};
        return unionMerge(P, S, o, base[mode], 0, 3, mode);
    }
    }
    p.a = U;
    if (U == 0) return join(p);
    for (int i = 0; i < 3; ++i) {
        const int pc = p.c[i], sc = s.c[i];
        int v = 0;
        if (mode == 0)
            v = (pc * A + sc * E - J * (sc + pc - mul(pc, sc))) / U;
        else if (mode == 4)
            v = (pc * A + sc * E - J * mul(pc, sc)) / U;
        else if (mode == 8) {
            const int p1 = A * pc;
            v = (E * std::abs(255 * sc - p1) + p1 * (255 - E)) / (255 * U);
        } else if (mode == 10) {
            const int p1 = A * pc + 65025 - 255 * A;
            v = (E * std::min(p1, 255 * sc) + p1 * (255 - E)) / (255 * U);
        } else {
            const int p1 = A * pc;
            v = (E * std::max(p1, 255 * sc) + p1 * (255 - E)) / (255 * U);
        }
        p.c[i] = clamp(v);
    }
    return join(p);
}

} // namespace qm::reference
