// Random edits with random undos and redos. After every step, undoing everything must give
// the starting layers back exactly and redoing as many steps must return to where we were.
#include "layers/blend_mode_table.h"
#include "undo_test_paper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

class RandomPaper {
public:
    RandomPaper(int32_t limit, uint32_t seed)
        : undo(&paper, CUndoMngrEx::kExtraRecords, limit, limit, paper.list.get(), nullptr,
               &paper.messages),
          random(seed)
    {
        for (int i = 0; i < 3; ++i)
            layers().AddLayer(64, 48, true, 255, 3);
    }

    CLayerMngr& layers() { return *paper.list; }
    int32_t pick(int32_t count) { return int32_t(random() % uint32_t(count)); }

    bool step(bool isUndo)
    {
        int32_t index = -1;
        uint16_t flags = 0;
        TRect changed;
        return isUndo ? undoStep(layers(), undo, index, flags, changed)
                      : redoStep(layers(), undo, index, flags, changed);
    }

    // One random edit, recorded as the paper records it.
    void edit()
    {
        const int32_t count = layers().Count();
        const int32_t i = pick(count);
        CLayerData& layer = *layers().Get(i);
        switch (pick(9)) {
        case 0:
        case 1: { // a stroke-like box of paint
            const TBox box{pick(70) - 4, pick(52) - 4, 1 + pick(40), 1 + pick(30)};
            undo.Record(layer, box, kUndoStroke);
            layer.image()->MaskedSet(box, 0xFFFFFFFFu, random());
            break;
        }
        case 2: {
            const auto value = uint8_t(random());
            undo.RecordProperty(layer, value, kUndoOpacity);
            layer.opacity = value;
            break;
        }
        case 3: {
            const auto mode = uint8_t(pick(kBlendModeCount));
            undo.RecordProperty(layer, mode, kUndoBlendMode);
            layer.mode = mode;
            undo.RecordName(layer, "name" + std::to_string(pick(100)));
            layer.name = undo.PeekUndo()->text2;
            break;
        }
        case 4: { // new layer
            if (!layers().CanAdd() || count >= 8)
                break;
            const int32_t at = layers().CreateLayer(pick(count + 1), 64, 48, true, 255, 3);
            undo.RecordInserted(kUndoNewLayer, at, *layers().Get(at));
            break;
        }
        case 5: // delete
            if (count > 1)
                undo.RecordDeleted(i, layers().ExtractAndFix(i));
            break;
        case 6: { // move
            const int32_t to = layers().Move(pick(count), i);
            if (to >= 0)
                undo.RecordMoved(i, to);
            break;
        }
        case 7: { // duplicate
            if (count >= 8)
                break;
            auto copy = std::make_unique<CLayerData>();
            copy->Create(i + 1, 0);
            copy->CopyContents(layer);
            const int32_t at = layers().InsertExisting(i + 1, std::move(copy));
            undo.RecordInserted(kUndoDuplicateLayer, at, *layers().Get(at));
            break;
        }
        case 8: { // merge down
            if (i == 0)
                break;
            std::unique_ptr<CLayerData> oldTarget;
            if (!MergeLayers(layers(), i - 1, i, 0, &oldTarget))
                break;
            auto source = layers().ExtractAndFix(i);
            undo.RecordMerged(i - 1, std::move(oldTarget), i, std::move(source));
            break;
        }
        }
    }

    TestPaper paper;
    CUndoMngrEx undo;
    std::mt19937 random;
};

} // namespace

TEST(UndoRandom, EverythingUndoesToTheStartAndRedoesBack)
{
    RandomPaper p(1000, 20261208);
    const auto start = stateOf(p.layers());
    int deepest = 0;
    for (int n = 0; n < 500; ++n) {
        const uint32_t action = p.random() % 10;
        if (action < 2)
            p.step(true);
        else if (action < 3)
            p.step(false);
        else
            p.edit();

        const auto now = stateOf(p.layers());
        int undone = 0;
        while (p.undo.CanUndo()) {
            ASSERT_TRUE(p.step(true)) << "step " << n << " undo " << undone;
            ++undone;
        }
        ASSERT_EQ(stateOf(p.layers()), start) << "after step " << n;
        deepest = std::max(deepest, undone);
        for (int k = 0; k < undone; ++k)
            ASSERT_TRUE(p.step(false)) << "step " << n << " redo " << k;
        ASSERT_EQ(stateOf(p.layers()), now) << "after step " << n;
    }
    EXPECT_TRUE(p.paper.messages.messages.empty());
    EXPECT_GT(deepest, 150); // the history really grew long
}

TEST(UndoRandom, ALowLimitStaysWithinItsBounds)
{
    RandomPaper p(3, 7);
    for (int n = 0; n < 600; ++n) {
        if (p.random() % 4 == 0)
            p.step(p.random() % 2 == 0);
        else
            p.edit();
        ASSERT_LE(p.undo.undoList().heavyCount(), 3);
        ASSERT_LE(p.undo.UndoCount(), 3 + CUndoMngrEx::kExtraRecords);
        ASSERT_LE(p.undo.redoList().heavyCount(), 3);
    }
    // Whatever is left undoes cleanly.
    while (p.undo.CanUndo())
        ASSERT_TRUE(p.step(true));
    EXPECT_TRUE(p.paper.messages.messages.empty());
}
