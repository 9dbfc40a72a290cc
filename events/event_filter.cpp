// Recording and replaying the filters: the filter's number is the sub-code, its parameter
// record the payload, and its length picks the category (32 … 35).
#include "events/event_mngr.h"

#include "filters/filter_record.h"
#include "paper/paper.h"

namespace qm {

void CEventMngr::recordFilter(uint8_t number, std::span<const uint8_t> record)
{
    const uint8_t category = filterRecordCategory(number);
    if (category == 0 || !filterRecordLengthMatches(number, record) || !readyToRecord()) return;
    // Filters paint like strokes: the stroke's state goes with them.
    writeStateRecords(true);
    if (guarded([&] { return writePacket(category, number, record); })) commit();
}

bool CEventMngr::replayFilter(TFlowImage& flow, uint8_t category, uint8_t sub,
                              const std::vector<uint8_t>& payload)
{
    // The floor needs both pictures its parameters name, sent just before it.
    if (category == 38 && sub == 40 &&
        (!auxiliaryImages_[0].IsValid() || !auxiliaryImages_[1].IsValid())) {
        paper_.window.messages().showMessage(
            "再生に必要な画像オブジェクトが不足しています! (38, 40)");
        return false;
    }
    if (filterRecordCategory(sub) != category) return missing("filter");
    TFilterRecord record;
    if (!decodeFilterRecord(sub, payload, record) || !paper_.layer(record.layer)) return false;
    return paper_.applyFilter(flow, record.layer, record.params, false, &auxiliaryImages_[0],
                              &auxiliaryImages_[1]);
}

} // namespace qm
