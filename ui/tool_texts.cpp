#include "ui/tool_texts.h"

#include "ui/ui_text.h"

#include <QCoreApplication>

namespace qm::ui {

namespace {

constexpr const char* kKindNames[] = {"Pen",       "Watercolour", "Blur",    "Eraser", "Blur 2",
                                      "Airbrush",  "Rub Pen",     "Darken",  "Lighten"};

// In the order of the tools window's buttons.
constexpr const char* kToolTexts[] = {
    "Brush|Paint with the pen window's brush",
    "Rotate View|Drag to turn the view",
    "Move View|Drag to scroll the view",
    "Clear Layer|Clear the current layer",
    "Fill|Fill an area with the pen colour",
    "Zoom In|Click to zoom in (right-click the button to zoom out)",
    "Zoom Out|Click to zoom out",
    "Cut|Cut out a part of the layer",
    "Move Layer|Drag the layer (right-click the button: with the selection)",
    "Colour Picker|Pick the colour under the cursor",
    "Draw Along Shape|Stroke the outline of a shape with the pen",
    "Fill Shape|Fill a rectangle, ellipse or polygon",
    "Straight Line|Draw straight lines (right-click the button for the kind)",
    "Fill Enclosed Area|Fill the area a drawn outline encloses",
    "Text|Write text onto the layer",
    "Text Into Selection|Make text into a selection",
    "Rectangle / Ellipse Selection|Select a rectangle or an ellipse",
    "Free / Polygon Selection|Select a free or polygonal area",
    "Automatic Selection|Select by colour",
    "Gradation|Drag to lay a gradation",
    "Trimming|Drag to crop the paper",
};

QString part(const QString& text, int index)
{
    return text.section(QLatin1Char('|'), index, index);
}

} // namespace

QString brushKindDisplayName(int32_t kind)
{
    if (kind < 0 || kind > 8)
        return {};
    return QCoreApplication::translate("Quillmere", kKindNames[kind]);
}

QString toolCaption(int32_t button)
{
    if (button < 0 || button > 20)
        return {};
    return part(QCoreApplication::translate("Quillmere", kToolTexts[button]), 0);
}

QString toolHint(int32_t button)
{
    if (button < 0 || button > 20)
        return {};
    return part(QCoreApplication::translate("Quillmere", kToolTexts[button]), 1);
}

QString hintCaption(const char* source, double value)
{
    const QByteArray format = part(uiText(source), 0).toUtf8();
    if (format.contains("%3d"))
        return QString::asprintf(format.constData(), int(value + (value >= 0 ? 0.5 : -0.5)));
    return QString::asprintf(format.constData(), value);
}

QString hintTooltip(const char* source) { return part(uiText(source), 1); }

} // namespace qm::ui
