// The pen's two colours as the colour windows see them: the main and the second colour of the
// live stroke, the main colour's HSV form (so that a grey keeps the hue the user chose), the
// colour window's hue and its pure colour, and the geometry of the hue bar, the colour square
// and the swatches. Colours are 0x00RRGGBB; hues are 16.16 degrees.
#pragma once

#include "core/colour_model.h"
#include "core/rect.h"
#include "paint/stroke.h"

#include <cstdint>
#include <functional>

namespace qm {

// Who sets a colour (the windows react differently to their own changes).
enum TColourSource : int32_t {
    kColourSourceNone = 0,
    kColourSourceHsvSet = 2,   // a window that has already set the HSV record
    kColourSourceHsv = 4,      // setHSV
    kColourSourceSquare = 5,   // the colour window's square
    kColourSourceWindow = 6,   // any other window (RGB, HSV, palette, picking)
};

class CColorMngr {
public:
    // Takes the two colours (the settings "fgCol" and "bgCol" as 0x00RRGGBB) into the stroke.
    CColorMngr(TStroke& stroke, uint32_t mainColour, uint32_t secondColour);

    uint32_t mainColor() const { return stroke_.color & 0xFFFFFF; }
    uint32_t secondColor() const { return stroke_.secondColor & 0xFFFFFF; }

    // True when the colour changed. A change, or any source but 0, stores the colour and tells
    // the windows; sources 2 and 4 keep the HSV record they have set.
    bool setColor(uint32_t colour, int32_t source, bool main);
    bool setMainColor(uint32_t colour, int32_t source) { return setColor(colour, source, true); }
    bool setSecondColor(uint32_t colour, int32_t source) { return setColor(colour, source, false); }
    void setHue(int32_t hue);
    void setHSV(const THSV& record, uint32_t colour);
    void swapColors();

    const THSV& hsv() const { return hsv_; }
    int32_t hue() const { return hue_; }
    uint32_t pureColour() const { return pure_; }
    bool swatchOrder() const { return swatchOrder_ != 0; }

    // ---- the hue bar of `rows` rows ----
    static uint32_t hueBarColour(int32_t row, int32_t rows);
    // The row the marker is centred on for a hue.
    static int32_t hueBarRow(int32_t hue, int32_t rows);
    // Pressing or dragging on row y: the main colour takes the row's hue (keeping its
    // saturation and value). True when the hue changed.
    bool pickHue(int32_t y, int32_t rows);

    // ---- the colour square, width × height ----
    static uint32_t squareColour(uint32_t pure, int32_t x, int32_t y, int32_t width, int32_t height);
    // The pixel nearest the main colour, searched row by row; `marker` stays when none is
    // nearer than 10000 in squared RGB distance. True when it moved.
    bool findMarker(int32_t width, int32_t height, TPoint& marker) const;
    // Pressing or dragging at (x, y): the pixel's colour becomes the main colour (source 5).
    bool pickInSquare(int32_t x, int32_t y, int32_t width, int32_t height, TPoint& marker);

    // ---- the swatches ----
    // A left click in the swatch box, in the first and/or the second rectangle: may flip the
    // order, then always exchanges the colours.
    void clickSwatches(bool inFirst, bool inSecond);

    // Told after every stored colour: which one and who set it.
    std::function<void(bool main, int32_t source)> onChanged;
    // Told when the hue (and so the square) changed.
    std::function<void()> onHueChanged;

private:
    void followHue(bool main, int32_t source);
    void notify(bool main, int32_t source)
    {
        if (onChanged)
            onChanged(main, source);
    }

    TStroke& stroke_;
    THSV hsv_{};
    int32_t hue_ = -1;
    uint32_t pure_ = 0xFF0000;
    uint8_t swatchOrder_ = 1;
};

} // namespace qm
