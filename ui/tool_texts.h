// Texts of the tool windows: the brush kinds' display names, the 21 tool hints
// ("caption|hint"), and the formatting of the pen window's "caption|hint" value texts.
#pragma once

#include <QString>

#include <cstdint>

namespace qm::ui {

QString brushKindDisplayName(int32_t kind);
// The caption and the hint of tool button b (0 … 20).
QString toolCaption(int32_t button);
QString toolHint(int32_t button);
// A resource text "caption|hint" with one printf-style value in the caption: the caption with
// the value, and the hint (empty when there is none).
QString hintCaption(const char* source, double value);
QString hintTooltip(const char* source);

} // namespace qm::ui
