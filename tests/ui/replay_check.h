// Replays what a drawing window recorded: on a fresh paper in this process (layers and masks
// compared), and through the executable's render mode (the written picture compared with
// the window's).
#pragma once

#include "render_run.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include "../paper/paper_fixture.h"

#include <QDir>

namespace qm::ui::test {

inline void expectReplayMatches(TDrawWindowWidget& window)
{
    TPaper& paper = window.paper();
    qm::test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(window.document().events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    TPaper& again = *replay.paper;
    ASSERT_EQ(again.width, paper.width);
    ASSERT_EQ(again.height, paper.height);
    ASSERT_EQ(again.layerCount(), paper.layerCount());
    for (int32_t i = 0; i < paper.layerCount(); ++i)
        qm::test::expectSameLayer(*paper.layer(i), *again.layer(i));
    ASSERT_EQ(again.masks->Count(), paper.masks->Count());
    for (int32_t i = 0; i < paper.masks->Count(); ++i) {
        const CMaskData& a = *paper.masks->Mask(i);
        const CMaskData& b = *again.masks->Mask(i);
        ASSERT_EQ(a.IsValid(), b.IsValid()) << "mask " << i;
        if (!a.IsValid()) continue;
        ASSERT_EQ(a.Bounds(), b.Bounds()) << "mask " << i;
        for (int32_t y = a.Bounds().top; y < a.Bounds().bottom; ++y)
            for (int32_t x = a.Bounds().left; x < a.Bounds().right; ++x)
                ASSERT_EQ(a.ValueAt(x, y), b.ValueAt(x, y)) << "mask " << i;
    }
}

// The recording saved and rendered by the executable shows the window's picture.
inline void expectRenderMatches(TMainForm& main, TDrawWindowWidget& window, const QString& folder,
                                const QString& name)
{
    const QString recording = QDir(folder).filePath(name + QStringLiteral(".qm3"));
    ASSERT_TRUE(main.saveEvents(&window, recording, false));
    std::string said;
    ASSERT_EQ(renderRecording(recording, QDir(folder).filePath(QStringLiteral("out")),
                              QDir(folder).filePath(QStringLiteral("render.ini")), said),
              0)
        << said;
    const TBmp24 bmp = readBmp24(QDir(folder).filePath(QStringLiteral("out/") + name + ".bmp"));
    const TMTC shown = window.paper().picture();
    ASSERT_EQ(bmp.width, shown.width());
    ASSERT_EQ(bmp.height, shown.height());
    int differing = 0;
    for (int y = 0; y < bmp.height; ++y)
        for (int x = 0; x < bmp.width; ++x)
            differing += bmp.at(x, y) != (shown.pixel(x, y) & 0xFFFFFFu);
    EXPECT_EQ(differing, 0);
}

} // namespace qm::ui::test
