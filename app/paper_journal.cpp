#include "app/paper_journal.h"

#include "app/document.h"
#include "events/event_mngr.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace qm {

namespace {

// A new thumbnail goes into the journal at most this often.
constexpr auto kAboutEvery = std::chrono::seconds(20);

// The display picture shrunk to the journal's thumbnail by taking every n-th pixel.
TMTC thumbnailOf(const TTC& display)
{
    TMTC thumb;
    const int32_t w = display.width(), h = display.height();
    if (w <= 0 || h <= 0) return thumb;
    const int32_t side = kJournalThumbnailSide;
    const int32_t tw =
        w >= h ? std::min(w, side) : std::max(1, int32_t(int64_t(w) * std::min(h, side) / h));
    const int32_t th =
        h > w ? std::min(h, side) : std::max(1, int32_t(int64_t(h) * std::min(w, side) / w));
    if (!thumb.Resize(tw, th)) return thumb;
    for (int32_t y = 0; y < th; ++y)
        for (int32_t x = 0; x < tw; ++x)
            thumb.row(y)[x] =
                display.pixel(int32_t(int64_t(x) * w / tw), int32_t(int64_t(y) * h / th)) |
                0xFF000000u;
    return thumb;
}

std::string newJournalPath(const std::string& folder)
{
    static int counter = 0;
    const auto stamp = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    return (std::filesystem::path(folder) /
            (std::to_string(stamp) + "-" + std::to_string(::getpid()) + "-" +
             std::to_string(counter++) + kJournalExtension))
        .string();
}

} // namespace

std::string journalFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (state && *state)
        base = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "state";
    else
        base = std::filesystem::temp_directory_path();
    return (base / "quillmere" / "journal").string();
}

TPaperJournal::TPaperJournal(TDocument& document, std::string folder, std::string source)
    : document_(document), folder_(std::move(folder)), source_(std::move(source))
{
}

TPaperJournal::~TPaperJournal()
{
    if (file_) file_->discard();
}

void TPaperJournal::update()
{
    TPaper& paper = document_.paper();
    if (!paper.eventMngr) return;
    CEventMngr& events = document_.events();
    if (!events.isRecording()) {
        // Nothing recorded, nothing to restore.
        recorder_.update(events);
        if (file_) {
            file_->discard();
            file_.reset();
        }
        return;
    }
    if (savedState_) {
        // As saved: the same stream, nothing rewritten and nothing added since.
        const bool unchanged = events.streamGeneration() == savedGeneration_ &&
                               events.takeUnchangedPrefix() >= savedEnd_ &&
                               events.committedEnd() == savedEnd_;
        if (unchanged) return;
        savedState_ = false;
    }
    if (!file_) {
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        std::string why;
        file_ = CJournalFile::create(newJournalPath(folder_), why);
        if (!file_) return; // the paper works on without a journal
        recorder_.restart();
        lastAbout_ = {};
    }
    std::vector<uint8_t> records = recorder_.update(events);
    file_->append(std::move(records));
    if (std::chrono::steady_clock::now() - lastAbout_ >= kAboutEvery) writeAbout();
}

void TPaperJournal::writeAbout()
{
    const TPaper& paper = document_.paper();
    TJournalAbout about;
    about.width = paper.width;
    about.height = paper.height;
    about.thumbnail = thumbnailOf(paper.displayImage);
    about.title = paper.title;
    about.source = source_;
    file_->append(journalAboutRecord(about));
    lastAbout_ = std::chrono::steady_clock::now();
}

void TPaperJournal::saved(const std::string& path)
{
    source_ = path;
    if (file_) {
        file_->discard();
        file_.reset();
    }
    if (document_.paper().eventMngr) {
        CEventMngr& events = document_.events();
        savedGeneration_ = events.streamGeneration();
        savedEnd_ = events.committedEnd();
        events.takeUnchangedPrefix();
        savedState_ = true;
    }
}

std::vector<TRecoverablePaper> recoverablePapers(const std::string& folder)
{
    std::vector<TRecoverablePaper> papers;
    for (const std::string& path : orphanedJournals(folder)) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        TRecoverablePaper paper;
        paper.journal = path;
        paper.bytes = bytes.size();
        std::error_code error;
        const auto written = std::filesystem::last_write_time(path, error);
        paper.modifiedSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                    std::chrono::file_clock::to_sys(written).time_since_epoch())
                                    .count();
        if (!readJournal(bytes, paper.contents)) {
            std::filesystem::remove(path, error);
            continue;
        }
        papers.push_back(std::move(paper));
    }
    return papers;
}

} // namespace qm
