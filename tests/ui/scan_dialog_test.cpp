#include "ui/scan_dialog.h"

#include "tests/print/sane_test_config.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::ui;
using qm::test::TSaneTestConfig;

namespace {

// Restores the dialogs and message boxes whatever the test does.
struct TScanHooks {
    TScanHooks() { setMessageHook(&messages); }
    ~TScanHooks()
    {
        setMessageHook(nullptr);
        setScanChooserHook({});
    }
    TMessageHook messages;
};

} // namespace

TEST(ScanDialog, ChooserSeesEveryDeviceAndTheScanComesBack)
{
    TSaneTestConfig config;
    config.write({{"mode", "Gray"}, {"resolution", "300.0"}, {"test-picture", "\"Solid white\""}});
    TScanHooks hooks;
    std::vector<std::string> offered;
    setScanChooserHook([&](const std::vector<TScanDevice>& devices) {
        for (const TScanDevice& device : devices)
            offered.push_back(device.name);
        return std::optional<TScanChoice>({"test:1", {TScanMode::colour, 50}});
    });

    const std::optional<TScannedPicture> scanned = acquireScan(nullptr);
    EXPECT_EQ(offered, (std::vector<std::string>{"test:0", "test:1"}));
    EXPECT_TRUE(hooks.messages.shown.isEmpty()) << hooks.messages.shown.join('\n').toStdString();
    ASSERT_TRUE(scanned.has_value());
    EXPECT_EQ(scanned->dpi, 50);
    // 80 × 100 mm at 50 dpi, as the test backend's geometry gives it.
    EXPECT_NEAR(scanned->picture.width(), 80 / 25.4 * 50, 1.0);
    EXPECT_NEAR(scanned->picture.height(), 100 / 25.4 * 50, 1.0);
    EXPECT_EQ(scanned->picture.pixel(3, 3), 0xFFFFFFFFu);

    // Cancelling the chooser scans nothing and says nothing.
    setScanChooserHook([](const std::vector<TScanDevice>&) { return std::nullopt; });
    EXPECT_FALSE(acquireScan(nullptr).has_value());
    EXPECT_TRUE(hooks.messages.shown.isEmpty());
}

TEST(ScanDialog, NoScannerIsSaidPlainly)
{
    TSaneTestConfig config;
    config.write({}, false); // an empty backend list
    TScanHooks hooks;
    bool asked = false;
    setScanChooserHook([&](const std::vector<TScanDevice>&) {
        asked = true;
        return std::nullopt;
    });
    EXPECT_FALSE(acquireScan(nullptr).has_value());
    EXPECT_FALSE(asked);
    EXPECT_EQ(hooks.messages.shown, QStringList{QStringLiteral("No scanner was found.")});
}

TEST(ScanDialog, SeveralDevicesAreListedAndOneIsNamed)
{
    const std::vector<TScanDevice> devices = {{"test:0", "Noname", "frontend-tester", "virtual"},
                                              {"net:1", "Acme", "Flat 9", "flatbed scanner"}};
    TScanDialog several(devices);
    auto* list = several.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Acme Flat 9 (net:1)"));
    list->setCurrentRow(1);
    auto* mode = several.findChild<QComboBox*>();
    ASSERT_NE(mode, nullptr);
    mode->setCurrentIndex(mode->findText(QStringLiteral("Grey")));
    auto* resolution = several.findChild<QSpinBox*>();
    ASSERT_NE(resolution, nullptr);
    resolution->setValue(150);
    const TScanChoice choice = several.choice();
    EXPECT_EQ(choice.device, "net:1");
    EXPECT_EQ(choice.options.mode, TScanMode::gray);
    EXPECT_EQ(choice.options.resolution, 150);

    TScanDialog one({devices[1]});
    EXPECT_EQ(one.findChild<QListWidget*>(), nullptr);
    EXPECT_EQ(one.choice().device, "net:1");
}
