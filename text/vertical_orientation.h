// Which characters stand upright in vertical text. Wide characters (ideographs, kana, hangul,
// full-width forms and the symbols East Asian text sets full-width) stand upright; everything
// else (Latin letters, digits, narrow punctuation) keeps lying along the line, as vertical
// Japanese text sets Western words.
#pragma once

namespace qm {

bool uprightInVerticalText(char32_t character);

} // namespace qm
