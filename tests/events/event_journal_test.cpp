// The crash journal follows the committed recording through strokes, undo, redo, saves and a
// new start, reads back as far as its last whole record however it was cut, and its file is
// locked while its writer lives.
#include "../paper/paper_fixture.h"
#include "events/event_journal.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qm {

namespace {

bool step(test::RecordedPaper& d, bool undo)
{
    int32_t layer = d.paper->currentLayerIndex();
    TRect rect;
    return undo ? d.paper->undo(d.flow, layer, rect) : d.paper->redo(d.flow, layer, rect);
}

using test::drawStroke;

// Journals a recorded paper the way a window does: every commit adds its records.
struct JournaledPaper {
    JournaledPaper()
    {
        bytes.assign(kJournalMagic, kJournalMagic + 4);
        live.events().onCommitted = [this] {
            const std::vector<uint8_t> r = recorder.update(live.events());
            bytes.insert(bytes.end(), r.begin(), r.end());
        };
        EXPECT_TRUE(live.paper->initPaper("live", live.flow, 64, 48));
    }
    ~JournaledPaper() { live.events().onCommitted = nullptr; }

    // The journal read back holds exactly the committed recording.
    void expectMirrors(const char* when)
    {
        TJournalContents read;
        ASSERT_TRUE(readJournal(bytes, read)) << when;
        const CEventMngr& events = live.events();
        EXPECT_EQ(read.recording.stream, events.stream().copy(0, events.committedEnd())) << when;
        EXPECT_EQ(read.recording.eventCount, events.eventCount()) << when;
        EXPECT_TRUE(read.whole) << when;
    }

    test::RecordedPaper live;
    CJournalRecorder recorder;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(EventJournal, MirrorsTheCommittedRecordingThroughUndoRedoAndSaves)
{
    JournaledPaper j;
    j.expectMirrors("the new paper");
    drawStroke(j.live, 10, 0x2040C0);
    drawStroke(j.live, 25, 0xC04020);
    j.expectMirrors("two strokes");
    const size_t before = j.bytes.size();
    ASSERT_TRUE(step(j.live, true));
    j.expectMirrors("undone");
    EXPECT_LT(j.bytes.size() - before, 32u) << "an undo is a marker, not the stream again";
    ASSERT_TRUE(step(j.live, false));
    j.expectMirrors("redone");
    ASSERT_TRUE(step(j.live, true));
    drawStroke(j.live, 38, 0x20A040); // rewrites the bytes of the undone stroke
    j.expectMirrors("a new stroke over the undone one");
    // A save appends the end mark and takes it away again.
    ASSERT_TRUE(j.live.events().appendEndMark());
    ASSERT_TRUE(j.live.events().removeEndMark());
    drawStroke(j.live, 44, 0x808080);
    j.expectMirrors("after a save");

    // The recorded stream replays to the live layers.
    TJournalContents read;
    ASSERT_TRUE(readJournal(j.bytes, read));
    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(read.recording, replay.flow), TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    ASSERT_EQ(replay.paper->layerCount(), j.live.paper->layerCount());
    for (int32_t i = 0; i < replay.paper->layerCount(); ++i)
        test::expectSameLayer(*replay.paper->layer(i), *j.live.paper->layer(i));

    // Recording stopped: nothing more to keep.
    j.live.events().stopRecording();
    EXPECT_FALSE(j.recorder.active());
}

TEST(EventJournal, ACutOrDamagedTailRecoversUpToTheLastWholeEvent)
{
    JournaledPaper j;
    drawStroke(j.live, 10, 0x2040C0);
    drawStroke(j.live, 25, 0xC04020);
    const std::vector<uint8_t> twoStrokes =
        j.live.events().stream().copy(0, j.live.events().committedEnd());
    const uint32_t twoCount = j.live.events().eventCount();
    const size_t lastStart = j.bytes.size();
    drawStroke(j.live, 38, 0x20A040);
    const std::vector<uint8_t> whole = j.bytes;
    ASSERT_GT(whole.size(), lastStart + 9);

    for (size_t cut = lastStart; cut < whole.size(); ++cut) {
        TJournalContents read;
        ASSERT_TRUE(readJournal(std::span(whole).first(cut), read)) << cut;
        EXPECT_EQ(read.recording.stream, twoStrokes) << cut;
        EXPECT_EQ(read.recording.eventCount, twoCount) << cut;
        EXPECT_EQ(read.whole, cut == lastStart) << cut;
    }
    // Garbage after the last record, or a flipped byte inside it, costs only that record.
    std::vector<uint8_t> garbage = whole;
    for (int i = 0; i < 40; ++i)
        garbage.push_back(uint8_t(i * 37 + 11));
    TJournalContents read;
    ASSERT_TRUE(readJournal(garbage, read));
    EXPECT_EQ(read.recording.eventCount, j.live.events().eventCount());
    EXPECT_FALSE(read.whole);
    std::vector<uint8_t> flipped = whole;
    flipped[lastStart + 12] ^= 0x40;
    ASSERT_TRUE(readJournal(flipped, read));
    EXPECT_EQ(read.recording.stream, twoStrokes);
    // No magic, or nothing but the magic: no recording.
    EXPECT_FALSE(readJournal(std::span(whole).first(3), read));
    EXPECT_FALSE(readJournal(std::span(whole).first(4), read));
}

TEST(EventJournal, TheAboutRecordCarriesTheListsFacts)
{
    TJournalAbout about;
    about.width = 640;
    about.height = 480;
    ASSERT_TRUE(about.thumbnail.Resize(3, 2));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            about.thumbnail.row(y)[x] = 0xFF000000u | uint32_t(x * 16 + y);
    about.title = "夕焼け";
    about.source = "/home/a/sunset.qmp";
    JournaledPaper j;
    const std::vector<uint8_t> record = journalAboutRecord(about);
    j.bytes.insert(j.bytes.end(), record.begin(), record.end());
    TJournalContents read;
    ASSERT_TRUE(readJournal(j.bytes, read));
    EXPECT_EQ(read.about.width, 640);
    EXPECT_EQ(read.about.title, about.title);
    EXPECT_EQ(read.about.source, about.source);
    ASSERT_EQ(read.about.thumbnail.width(), 3);
    EXPECT_EQ(read.about.thumbnail.row(1)[2], 0xFF000021u);
}

TEST(EventJournal, TheFileIsLockedWhileItsWriterLivesAndGoesWhenDiscarded)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("quillmere_journal_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "a.qmj").string();
    std::string why;
    std::unique_ptr<CJournalFile> file = CJournalFile::create(path, why);
    ASSERT_NE(file, nullptr) << why;
    EXPECT_EQ(CJournalFile::create(path, why), nullptr) << "never a second writer";
    const std::vector<uint8_t> record =
        journalRecordBytes(journalRecord::end, std::vector<uint8_t>(8, 0));
    file->append(record);
    file->append(record);
    file->waitSynced();
    EXPECT_GE(file->syncCount(), 1u);
    std::vector<uint8_t> expected(kJournalMagic, kJournalMagic + 4);
    for (int i = 0; i < 2; ++i)
        expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(readFile(path), expected);
    EXPECT_TRUE(orphanedJournals(folder.string()).empty()) << "its writer still lives";
    file.reset();
    EXPECT_EQ(orphanedJournals(folder.string()), std::vector<std::string>{path});

    std::unique_ptr<CJournalFile> second = CJournalFile::create((folder / "b.qmj").string(), why);
    ASSERT_NE(second, nullptr);
    second->discard();
    EXPECT_FALSE(std::filesystem::exists(folder / "b.qmj"));
    std::filesystem::remove_all(folder);
}

} // namespace qm
