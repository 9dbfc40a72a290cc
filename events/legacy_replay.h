// Playback of a version 1.1 recording (".vke"): the paper runs its legacy engine, each
// packet goes to the paper's operations with recording set (nothing is recorded, since event
// recording is stopped first; undo goes to the layers' own histories), and at the end the
// paper switches back to the current engine.
#pragma once

#include "events/event_mngr.h"
#include "events/event_packet.h"

#include <span>
#include <string>

namespace qm {

class TPaper;
class TFlowImage;

class TLegacyReplay {
public:
    TLegacyReplay(TPaper& paper, TFlowImage& flow) : paper_(paper), flow_(flow) {}

    // Loads and checks the stream, stops event recording and puts the paper on the legacy
    // engine. False for a stream that is not a valid recording.
    bool open(const std::string& path);
    bool open(std::span<const uint8_t> bytes);
    bool isProtected() const { return packets_.isProtected(); }

    // One packet per step.
    TReplayStep step();
    TReplayStep playAll();
    int32_t progress() const { return packets_.readProgress(); }
    const TEventPacket& packets() const { return packets_; }

    std::string missingOperation; // what stopped the replay, when this program lacks it

private:
    bool start(const TLegacyScan& scan);
    bool replay(const TLegacyPacket& packet);
    bool stroke(uint16_t kind, std::span<const uint8_t> payload);
    bool straightStroke(std::span<const uint8_t> payload);
    bool layerChange(uint16_t code, std::span<const uint8_t> payload);
    // Rectangle (295, 296) and polygon (297, 304) fills, the second of each with a colour.
    bool areaFill(uint16_t code, std::span<const uint8_t> payload);
    bool layerOperation(uint16_t code, std::span<const uint8_t> payload);
    bool paperOperation(uint16_t code, std::span<const uint8_t> payload);
    bool missing(const char* what);
    void finish();

    TPaper& paper_;
    TFlowImage& flow_;
    TEventPacket packets_;
    bool finished_ = false;
};

} // namespace qm
