// Feeds arbitrary bytes to the crash journal's reader, and what it reads to a replay, as the
// next start does when it restores a paper.
#include "events/event_journal.h"
#include "replay_paper.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TJournalContents contents;
    if (!qm::readJournal({data, size}, contents))
        return 0;
    // The reader never hands out more than its records gave.
    if (contents.recording.stream.size() > size) __builtin_trap();
    if (contents.about.thumbnail.IsValid() &&
        (contents.about.thumbnail.width() > qm::kJournalThumbnailSide ||
         contents.about.thumbnail.height() > qm::kJournalThumbnailSide))
        __builtin_trap();
    qm::fuzz::replayFile(std::move(contents.recording));
    return 0;
}
