// Recording and replaying the filters: the filter's number is the sub-code, its parameter
// record the payload, and its length picks the category (32 … 35, 38). The floor's pictures
// travel just before its packet as the two auxiliary images.
#include "events/event_mngr.h"

#include "events/stack_packets.h"
#include "filters/filter_record.h"
#include "paper/paper.h"

namespace qm {

namespace {

constexpr uint8_t kFirstAuxiliaryImage = 128, kSecondAuxiliaryImage = 129;

} // namespace

void CEventMngr::recordFilter(uint8_t number, std::span<const uint8_t> record, const TMTC* first,
                              const TMTC* second)
{
    const uint8_t category = filterRecordCategory(number);
    if (category == 0 || !filterRecordLengthMatches(number, record) || !readyToRecord()) return;
    // Filters paint like strokes: the stroke's state goes with them.
    writeStateRecords(true);
    const auto writeImage = [&](uint8_t sub, const TMTC* image) {
        return !image || !image->IsValid() ||
               writePacket(eventCategory::state, sub, encodeImageBlock(0, {0, 0}, {}, *image));
    };
    if (guarded([&] {
            return writeImage(kFirstAuxiliaryImage, first) &&
                   writeImage(kSecondAuxiliaryImage, second) &&
                   writePacket(category, number, record);
        }))
        commit();
}

bool CEventMngr::replayFilter(TFlowImage& flow, uint8_t category, uint8_t sub,
                              const std::vector<uint8_t>& payload)
{
    if (filterRecordCategory(sub) != category) return missing("filter");
    TFilterRecord record;
    if (!decodeFilterRecord(sub, payload, record) || !paper_.layer(record.layer)) return false;
    // The pictures are the following filter's alone: whatever the packet, they are used up.
    const std::array<TMTC, 2> pictures = std::move(auxiliaryImages_);
    auxiliaryImages_ = {};
    // The floor needs each picture its parameters take from a file.
    if (const auto* floor = std::get_if<TFloorParams>(&record.params);
        floor && ((floor->ceilingFromFile && !pictures[0].IsValid()) ||
                  (floor->floorFromFile && !pictures[1].IsValid()))) {
        paper_.window.messages().showMessage(
            "再生に必要な画像オブジェクトが不足しています! (38, 40)");
        return false;
    }
    return paper_.applyFilter(flow, record.layer, record.params, false, &pictures[0], &pictures[1]);
}

} // namespace qm
