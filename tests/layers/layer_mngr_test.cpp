#include "layers/layer_mngr.h"

#include "layers/blend_mode_table.h"
#include "layers/fake_layer_undo.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
constexpr uint8_t kNormal = uint8_t(BlendMode::Normal);

struct Fixture {
    CollectingMessageSink messages;
    FakeClock clock{4242};
    CLayerMngr layers{&messages, clock};

    // Adds n 16 × 16 layers named after their position.
    void addNamed(int n)
    {
        for (int i = 0; i < n; ++i) {
            const int32_t at = layers.AddLayer(16, 16, true, 255, kNormal, false);
            ASSERT_GE(at, 0);
            layers.Get(at)->name = std::to_string(at);
        }
    }
    // The names bottom to top; checks that every index field was rewritten.
    std::string order() const
    {
        std::string names;
        for (int32_t i = 0; i < layers.Count(); ++i) {
            names += layers.Get(i)->name;
            EXPECT_EQ(layers.Get(i)->index, i);
        }
        return names;
    }
};
} // namespace

TEST(LayerMngr, CreateLayerInsertsAndMakesTheFirstCurrent)
{
    Fixture f;
    f.layers.SetPaperSize(40, 30);
    EXPECT_EQ(f.layers.AddLayer(40, 30, true, 200, kNormal, false), 0);
    EXPECT_EQ(f.layers.current(), 0);
    EXPECT_EQ(f.layers.Get(0)->opacity, 200);
    EXPECT_EQ(f.layers.Get(0)->random.seed, 4242u); // seeded from the manager's clock

    // A layer larger than the paper gets the paper's size and a thumbnail for it.
    EXPECT_EQ(f.layers.CreateLayer(0, 80, 80, false, 255, kNormal, false), 0);
    EXPECT_EQ(f.layers.Get(0)->paperWidth, 40);
    EXPECT_EQ(f.layers.Get(0)->thumbnail()->height(), 24);
    EXPECT_EQ(f.layers.CreateLayer(99, 40, 30, true, 255, kNormal, false), 2); // past the top
    EXPECT_TRUE(f.messages.messages.empty());
}

TEST(LayerMngr, FailuresShowTheirMessageAndChangeNothing)
{
    Fixture f;
    f.addNamed(1);
    EXPECT_EQ(f.layers.CreateLayer(-1, 16, 16, true, 255, kNormal, false), -1);
    EXPECT_EQ(f.layers.CreateLayer(0, 0, 16, true, 255, kNormal, false), -1);
    auto layer = CLayerData::make(0, 0);
    EXPECT_EQ(f.layers.InsertExisting(-2, std::move(layer)), -1);
    EXPECT_EQ(f.messages.messages,
              (std::vector<std::string>{"不正なﾚｲﾔｲﾝﾃﾞｯｸｽです!", "ﾚｲﾔの初期化に失敗しました!",
                                        "不正なﾚｲﾔｲﾝﾃﾞｯｸｽです!"}));
    EXPECT_NE(layer, nullptr); // a refused layer stays with the caller
    EXPECT_EQ(f.layers.Replace(5, std::move(layer)), nullptr);
    EXPECT_NE(layer, nullptr);
    EXPECT_EQ(f.order(), "0");
}

TEST(LayerMngr, TenThousandLayersAreTheLimit)
{
    Fixture f;
    ASSERT_TRUE(f.layers.Construct(16));
    for (int i = 0; i < CLayerMngr::kMaxLayers - 1; ++i)
        ASSERT_GE(f.layers.InsertExisting(f.layers.Count(), CLayerData::make(0, 0)), 0);
    EXPECT_TRUE(f.layers.CanAdd());
    EXPECT_EQ(f.layers.AddLayer(1, 1, true, 255, kNormal, false), 9999);
    EXPECT_FALSE(f.layers.CanAdd());
    EXPECT_EQ(f.layers.AddLayer(1, 1, true, 255, kNormal, false), -1);
    EXPECT_EQ(f.messages.messages, std::vector<std::string>{"ﾚｲﾔの追加に失敗しました!"});
    EXPECT_EQ(f.layers.Clear(), 10000);
    EXPECT_EQ(f.layers.current(), -1);
}

TEST(LayerMngr, RemovalsKeepCurrentInsideTheList)
{
    Fixture f;
    f.addNamed(1);
    EXPECT_TRUE(f.layers.Delete(0));
    EXPECT_EQ(f.layers.current(), -1);
    EXPECT_FALSE(f.layers.Delete(0));

    f.addNamed(3);
    EXPECT_EQ(f.layers.SetCurrent(2), 2);
    EXPECT_EQ(f.layers.SetCurrent(7), 2);
    auto top = f.layers.ExtractAndFix(2);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(f.layers.current(), 1);
    EXPECT_EQ(f.layers.InsertExisting(0, std::move(top)), 0);
    EXPECT_EQ(f.order(), "201");
}

TEST(LayerMngr, MoveKeepsTheOrderOfTheOthers)
{
    Fixture f;
    f.addNamed(4);
    EXPECT_EQ(f.layers.Move(2, 2), -1);
    EXPECT_EQ(f.layers.Move(0, 7), -1);
    EXPECT_EQ(f.layers.Move(99, 0), 3); // bottom to top
    EXPECT_EQ(f.order(), "1230");
    EXPECT_EQ(f.layers.Move(-5, 3), 0); // top to bottom
    EXPECT_EQ(f.order(), "0123");
    EXPECT_EQ(f.layers.Move(2, 0), 2);
    EXPECT_EQ(f.order(), "1203");
    EXPECT_EQ(f.layers.Move(1, 3), 1);
    EXPECT_EQ(f.order(), "1320");
}

TEST(LayerMngr, LayersAreFoundByTheirIds)
{
    Fixture f;
    f.addNamed(1);
    const int32_t firstId = f.layers.IdAt(0);
    ASSERT_TRUE(f.layers.Delete(0));
    f.addNamed(2);
    EXPECT_EQ(f.layers.IdAt(0), firstId + 1);
    EXPECT_EQ(f.layers.IdAt(1), firstId + 2);
    EXPECT_EQ(f.layers.IndexOfId(firstId), -1);
    TFoundLayer found = f.layers.FindById(firstId + 2);
    ASSERT_TRUE(found);
    EXPECT_EQ(found.index, 1);

    // A replacement that takes over the ID is found in its place.
    auto replacement = CLayerData::make(0, 0);
    replacement->name = "R";
    replacement->id = firstId + 2;
    auto old = f.layers.Replace(1, std::move(replacement));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->name, "1");
    EXPECT_EQ(f.layers.FindById(firstId + 2).layer->name, "R");
    EXPECT_EQ(f.order(), "0R");
}

TEST(LayerMngr, SwapWithAnotherManagerRenumbersBoth)
{
    Fixture a, b;
    a.addNamed(2);
    b.addNamed(3);
    ASSERT_TRUE(a.layers.SwapWith(0, b.layers, 2, true));
    EXPECT_EQ(a.order(), "21");
    EXPECT_EQ(b.order(), "010");
    EXPECT_FALSE(a.layers.SwapWith(0, b.layers, 3, true));
}

TEST(LayerMngr, VisibilityAndNames)
{
    Fixture f;
    EXPECT_TRUE(f.layers.SaveVisibility().empty());
    f.addNamed(4);
    f.layers.Get(0)->visible = 0;
    f.layers.Get(2)->visible = 0;
    f.layers.ToggleAllVisibility();
    EXPECT_EQ(f.layers.SaveVisibility(), (std::vector<uint8_t>{1, 0, 1, 0}));
    EXPECT_FALSE(f.layers.ShowOnly(4)); // invalid: nothing changes
    EXPECT_TRUE(f.layers.ShowOnly(3));
    EXPECT_EQ(f.layers.SaveVisibility(), (std::vector<uint8_t>{0, 0, 0, 1}));

    // Generated names count up and are not reused after a deletion.
    for (int32_t i = 0; i < 3; ++i)
        ASSERT_TRUE(f.layers.NameNew(i, 1));
    EXPECT_EQ(f.layers.Get(2)->name, "ﾚｲﾔ3");
    ASSERT_TRUE(f.layers.Delete(2));
    ASSERT_TRUE(f.layers.NameNew(2, 1));
    EXPECT_EQ(f.layers.Get(2)->name, "ﾚｲﾔ4");
    EXPECT_EQ(f.layers.DefaultName(10), "ﾚｲﾔ14");
    ASSERT_TRUE(f.layers.CopyName(0, 2));
    EXPECT_EQ(f.layers.Get(0)->name, "ﾚｲﾔ4");
}

TEST(LayerMngr, OwnUndoHistoriesAndMemory)
{
    Fixture f;
    f.layers.setLayerUndoFactory([] { return std::make_unique<test::FakeLayerUndo>(); });
    ASSERT_EQ(f.layers.AddLayer(64, 64, true, 255, kNormal, true), 0);
    ASSERT_EQ(f.layers.AddLayer(16, 16, true, 255, kNormal, false), 1);
    EXPECT_EQ(f.layers.Get(1)->layerUndo(), nullptr);
    f.layers.Get(0)->recordUndoAll();
    f.layers.Get(0)->image()->SetPixel(40, 40, 0xFF000000u);
    EXPECT_EQ(f.layers.LayerUndoMemory(), 100);
    EXPECT_EQ(f.layers.MemoryUsed(), 2 * 33 * 33 * 4 + 32 * 32 * 4);
    f.layers.FreeLayerUndos();
    EXPECT_EQ(f.layers.LayerUndoMemory(), 0);

    f.layers.setLayerUndoFactory([] { return std::unique_ptr<LayerUndo>(); });
    EXPECT_EQ(f.layers.AddLayer(16, 16, true, 255, kNormal, true), -1);
    EXPECT_EQ(f.messages.messages, std::vector<std::string>{"ﾚｲﾔの初期化に失敗しました!"});
    EXPECT_EQ(f.layers.Count(), 2);
}
