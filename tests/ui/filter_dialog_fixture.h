// A stand-in drawing window for the filter dialogs that counts what it is asked, and a
// fixture that opens a dialog and acts on it while it is showing.
#pragma once

#include "ui/filter_dialogs.h"
#include "ui/ui_text.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace qm::ui::test {

class FakeHost : public TFilterPreviewHost {
  public:
    void previewOnCanvas(const TFilterParams& params) override { previews.push_back(params); }
    void restoreCanvas() override { ++restores; }
    QImage previewArea(const TFilterParams& params, const QRect& area,
                       const TFilterPictures* pictures) override
    {
        areaPictures.push_back(pictures);
        areas.push_back(area);
        areaParams.push_back(params);
        QImage picture(area.size(), QImage::Format_ARGB32);
        picture.fill(pictureColour);
        return picture;
    }
    QSize layerSize() const override { return size; }
    QImage sourceThumbnail(QSize box, double& scale) const override
    {
        scale = std::max(
            {1.0, double(size.width()) / box.width(), double(size.height()) / box.height()});
        QImage thumbnail(int(size.width() / scale), int(size.height() / scale),
                         QImage::Format_ARGB32);
        thumbnail.fill(Qt::gray);
        return thumbnail;
    }
    std::array<uint32_t, 256> histogram() const override { return bins; }
    QImage previewReduced(const TFilterParams& params, QSize box) override
    {
        reducedParams.push_back(params);
        QImage picture(box, QImage::Format_ARGB32);
        picture.fill(pictureColour);
        return picture;
    }
    uint32_t penColour() const override { return pen; }
    uint32_t secondColour() const override { return second; }

    QSize size{300, 200};
    QRgb pictureColour = 0xFF336699u;
    std::array<uint32_t, 256> bins{};
    std::vector<TFilterParams> previews;
    int restores = 0;
    std::vector<QRect> areas;
    std::vector<TFilterParams> areaParams;
    std::vector<const TFilterPictures*> areaPictures;
    std::vector<TFilterParams> reducedParams;
    uint32_t pen = 0x102030u, second = 0xF0E0D0u;
};

inline void mouseAt(QWidget* widget, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, {});
    QApplication::sendEvent(widget, &event);
}

inline void click(QWidget* widget, QPoint at)
{
    mouseAt(widget, QEvent::MouseButtonPress, at);
    mouseAt(widget, QEvent::MouseButtonRelease, at);
}

template <typename T> T* child(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QString shown(QWidget& dialog, const char* controlName)
{
    QLabel* label = child<QLabel>(dialog, (std::string(controlName) + "Value").c_str());
    return label ? label->text() : QString();
}

class FilterDialogFixture : public ::testing::Test {
  protected:
    void SetUp() override
    {
        forgetFilterDialogValues();
        setMessageHook(&hook);
        setFilterPreviewClock([this] { return now; });
    }
    void TearDown() override
    {
        setFilterPreviewClock(nullptr);
        setMessageHook(nullptr);
        forgetFilterDialogValues();
    }

    // Opens filter `number`'s dialog, runs `inside` on it once it is showing, and returns
    // what the dialog answered. `inside` must close it; a dialog left open fails the test.
    template <typename D> bool run(TFilterNumber number, std::function<void(D&)> inside)
    {
        QTimer::singleShot(0, [inside] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "the dialog did not open";
                return;
            }
            QPointer<D> guard(dialog);
            inside(*dialog);
            if (guard && guard->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                guard->reject();
            }
        });
        return askFilterParams(number, host, nullptr, out, &pictures);
    }

    FakeHost host;
    TMessageHook hook;
    TFilterParams out;
    TFilterPictures pictures;
    int64_t now = 1'000'000;
};

} // namespace qm::ui::test
