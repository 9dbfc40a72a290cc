// Pictures on the desktop's clipboard: what Copy and Cut put there (a PNG with alpha that
// other programs paste) and what Paste takes from it.
#pragma once

#include "core/dib_core.h"

namespace qm::ui {

bool putPictureOnClipboard(const TMTC& picture);
// False when the clipboard holds no picture.
bool pictureFromClipboard(TMTC& picture);
bool clipboardHasPicture();

} // namespace qm::ui
