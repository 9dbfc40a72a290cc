// The crash journal of an open paper: kept while the paper records, written as its events
// commit, removed when the paper is closed or saved. The journals a program left behind when
// it ended without closing them are found and restored at the next start.
#pragma once

#include "events/event_journal.h"

#include <chrono>
#include <memory>
#include <string>

namespace qm {

class TDocument;

// Where the journals live: $XDG_STATE_HOME/quillmere/journal, else ~/.local/state/….
std::string journalFolder();

class TPaperJournal {
  public:
    // Journals the document's recording into a new file of the folder once there is
    // something to keep. `source` is the file the paper came from (empty for a new paper).
    TPaperJournal(TDocument& document, std::string folder, std::string source);
    // A normal close: the journal goes.
    ~TPaperJournal();
    TPaperJournal(const TPaperJournal&) = delete;
    TPaperJournal& operator=(const TPaperJournal&) = delete;

    // Brings the journal up to the recording (the event manager calls it at every commit).
    void update();
    // The paper is on disk as it stands: the journal goes until the next edit.
    void saved(const std::string& path);
    CJournalFile* file() const { return file_.get(); }

  private:
    void writeAbout();

    TDocument& document_;
    std::string folder_, source_;
    CJournalRecorder recorder_;
    std::unique_ptr<CJournalFile> file_;
    // The stream as the paper was saved: no journal while it stays so.
    uint32_t savedGeneration_ = 0, savedEnd_ = 0;
    bool savedState_ = false;
    std::chrono::steady_clock::time_point lastAbout_;
};

// A paper a journal can restore.
struct TRecoverablePaper {
    std::string journal; // the file
    TJournalContents contents;
    int64_t modifiedSeconds = 0; // when the journal was last written (seconds since the epoch)
    uintmax_t bytes = 0;
};
// The journals of the folder that nobody writes any more, with what they hold; those that
// hold no recording are removed.
std::vector<TRecoverablePaper> recoverablePapers(const std::string& folder);

} // namespace qm
