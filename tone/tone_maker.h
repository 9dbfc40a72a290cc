// The screentone generator: a rotated halftone screen made exactly periodic.
//
// A screen of period d at angle θ is only periodic on the pixel grid when its cell vector is
// integral, so the generator looks for a super-cell of n × n cells whose side (u, v) is close to
// an integer vector, adjusts the period and angle to fit it exactly, and stores one tile that
// covers the super-cell. Every lookup reduces the pixel by the super-cell lattice into the tile:
// no seams at any angle, no trigonometry per pixel.
//
// Tile: 8-bit TChannel of (u + v) × max(u, v) pixels, 0 = full ink … 255 = none (the band value of
// the threshold field); ToneAt returns the ink value 255 − tile.
#pragma once

#include "core/dib_core.h"

#include <array>
#include <cstdint>
#include <vector>

namespace qm {

class CToneMaker {
public:
    static constexpr double kMinPeriod = 3.0;   // adjusted period limits, pixels
    static constexpr double kMaxPeriod = 128.0;

    // One entry of the percentile table.
    struct SPercentile {
        int32_t percent = 0;
        float value = 0.0f;     // the threshold value below which `percent` % of the field lies
        int32_t equalCount = 0; // other field values equal to it
        int32_t equalBelow = 0; // consecutive table entries directly below holding the same value
        int32_t equalAbove = 0; // … and directly above
    };

    CToneMaker() = default;
    CToneMaker(const CToneMaker&) = delete;
    CToneMaker& operator=(const CToneMaker&) = delete;

    // Recomputes the lattice when the period or angle changed, the field and percentile table
    // when the lattice or shape changed, and always the band and the tile. False, with the
    // generator unchanged, when the adjusted period lies outside 3..128, the super-cell vector is
    // not in the first quadrant, or a value is not a finite number.
    bool Configure(int32_t shape, int32_t blur, float percent, float angle, float period);

    bool isValid() const { return valid_; }

    // Ink value 0..255 at pixel (x, y); 0 while not configured.
    uint8_t ToneAt(int32_t x, int32_t y) const;
    // ToneAt (x + i, y) for i = 0 … count − 1 into out.
    void ToneRow(int32_t x, int32_t y, int32_t count, uint8_t* out) const;
    // Fills the channel with ToneAt (x0 + i, y0 + j); false when not configured.
    bool RenderTile(TChannel& channel, int32_t x0, int32_t y0) const;

    // The normalised threshold field at any point (pixel centres are at + 0.5).
    float ThresholdAt(double x, double y) const;
    // The tile value of a threshold value: 0 up to the band's low end, 255 from its high end.
    uint8_t BandValue(float value) const;

    // The lattice.
    int32_t cellsPerSide() const { return n_; } // n
    int32_t u() const { return u_; }
    int32_t v() const { return v_; }
    int32_t rowShift() const { return r_; }
    double superCellLength() const { return L_; }
    double adjustedSine() const { return s_; }
    double adjustedCosine() const { return c_; }
    double adjustedPeriod() const { return adjustedPeriod_; }
    double adjustedAngle() const { return adjustedAngle_; } // degrees
    float requestedPeriod() const { return period_; }
    float requestedAngle() const { return angle_; }

    int32_t shape() const { return shape_; }
    int32_t blur() const { return blur_; }
    float percent() const { return percent_; }
    const SPercentile& percentile(int32_t p) const { return table_[size_t(p)]; }
    float bandLow() const { return low_; }
    float bandHigh() const { return high_; }
    float bandWidth() const { return width_; }
    const TChannel& tile() const { return tile_; }

private:
    struct SLattice {
        int32_t n = 0, u = 0, v = 0, r = 0;
        double L = 0.0, s = 0.0, c = 0.0, period = 0.0, angle = 0.0;
    };
    static bool computeLattice(float period, float angle, SLattice& out);
    float rawValue(double x, double y) const; // −f at a point, before normalising
    void buildField();
    void buildTable();
    void buildBand();
    void buildTile();

    bool valid_ = false;
    float period_ = 0.0f;
    float angle_ = 0.0f;
    int32_t n_ = 0, u_ = 0, v_ = 0, r_ = 0;
    double L_ = 0.0, s_ = 0.0, c_ = 0.0, adjustedPeriod_ = 0.0, adjustedAngle_ = 0.0;
    int32_t shape_ = 0;
    float percent_ = 0.0f;
    int32_t blur_ = 0;
    float fieldMin_ = 0.0f, fieldMax_ = 0.0f; // for normalising
    std::vector<float> field_;                // row-major, tile-sized
    std::array<SPercentile, 101> table_{};
    float low_ = 0.0f, high_ = 0.0f, width_ = 0.0f;
    TChannel tile_;
};

} // namespace qm
