#include "ui/qt_settings_store.h"
#include "ui/ui_text.h"

#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

namespace qm::ui::test {

TEST(QtSettingsStore, ValuesThatDoNotReadAsTheTypeAskedForAreAbsent)
{
    QTemporaryDir dir;
    TQtSettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    store.writeText("config", "gridW", "wide");
    store.writeText("config", "flag", "maybe");
    store.writeInt("window/docking", "count", 3);
    store.writeFloat("config", "opaquePaint", 0.25f);
    store.flush();

    TQtSettingsStore again(dir.filePath(QStringLiteral("s.ini")));
    int32_t i = 7;
    EXPECT_FALSE(again.readInt("config", "gridW", i));
    EXPECT_EQ(i, 7) << "untouched";
    bool b = true;
    EXPECT_FALSE(again.readBool("config", "flag", b));
    EXPECT_FALSE(again.readInt("config", "missing", i));
    EXPECT_TRUE(again.readInt("window/docking", "count", i));
    EXPECT_EQ(i, 3);
    float f = 0.0f;
    EXPECT_TRUE(again.readFloat("config", "opaquePaint", f));
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(again.settings().value(QStringLiteral("window/docking/count")).toInt(), 3)
        << "a nested section is a nested group";
}

TEST(UiText, FieldsFillInOrderAndLineBreaksBecomeNewlines)
{
    EXPECT_EQ(uiText("x : %4d,   y : %4d", {QStringLiteral("  12"), QStringLiteral("   3")}),
              QStringLiteral("x :   12,   y :    3"));
    EXPECT_EQ(uiText("%s\r    path = %s", {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("a\n    path = b"));
    EXPECT_EQ(uiText("%d%% of %s", {QStringLiteral("50")}), QStringLiteral("50% of "))
        << "a missing field is empty, %% is one per cent sign";
}

TEST(UiText, TheEnglishTextsHoldTheDialogCaptions)
{
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/quillmere_en.qm")));
    const QString caption = english.translate("Quillmere", "用紙DPIの変更");
    EXPECT_FALSE(caption.isEmpty());
    EXPECT_TRUE(caption.contains(QStringLiteral("Resolution"))) << caption.toStdString();
}

} // namespace qm::ui::test
