// Engine pictures as Qt images (copies, top row first).
#pragma once

#include "core/dib_core.h"

#include <QImage>

namespace qm::ui {

// opaque: the alpha bytes are ignored (a displayable picture); otherwise they are kept.
QImage toQImage(const TMTC& picture, bool opaque);
// A Qt image of any format as an engine picture (straight alpha); empty for a null image.
TMTC fromQImage(const QImage& image);

} // namespace qm::ui
