// The screentone a stroke paints through, as the recording stores it: a 160-byte definition
// (what the tone list needs to make the same working pattern again) with the bitmap's tile
// after it, and a 20-byte record that selects a tone already defined in the stream.
#pragma once

#include "tone/tone_mngr.h"

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace qm {

inline constexpr uint32_t kToneHeadSize = 160;
inline constexpr uint32_t kToneSelectSize = 20;

// The current pattern of the list as a definition record; empty without a current pattern.
std::vector<uint8_t> encodeToneDefinition(const CPatMngrBase& tones);
// Selects an already defined tone: its serial and the list's lookup offset.
std::vector<uint8_t> encodeToneSelection(const CPatMngrBase& tones);
// The serial a definition record was made from; −1 when the bytes are too short.
int32_t toneSerialOf(std::span<const uint8_t> definition);

// The tones a replay has met, rebuilt in a list of their own.
class TReplayTones {
public:
    TReplayTones() : tones_(false) {}
    // False for a record that does not make a pattern.
    bool define(std::span<const uint8_t> definition);
    bool select(std::span<const uint8_t> selection);
    const CPatMngrBase& tones() const { return tones_; }
    // Forgets every tone a replay defined.
    void clear()
    {
        tones_.Clear();
        tones_.SetOffset(0, 0);
        bySerial_.clear();
    }

private:
    CToneMngr tones_;
    std::map<int32_t, int32_t> bySerial_; // recorded serial → index in the list
};

} // namespace qm
