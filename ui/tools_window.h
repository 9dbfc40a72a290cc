// The tools window: 21 buttons, each choosing a (mode, submode); the buttons that offer a
// choice keep it as their option (right-click the button to change it). And the options
// (control) window: the cursor and drag status and the current tool's submodes.
#pragma once

#include "ui/app_context.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QLabel;
class QToolButton;
class QVBoxLayout;

namespace qm::ui {

class TToolsWindow : public QWidget {
    Q_OBJECT
public:
    explicit TToolsWindow(TAppContext& app, QWidget* parent = nullptr);

    QToolButton* button(int32_t index) const { return buttons_[size_t(index)]; }
    // The option a button keeps (its submode for buttons whose table entry is −1).
    int32_t option(int32_t index) const { return options_[size_t(index)]; }
    void setOption(int32_t index, int32_t option);
    // Marks the button of the current mode (after temporary modes and other windows).
    void followMode();

private:
    void choose(int32_t index);
    void showOptions(int32_t index);

    TAppContext& app_;
    QButtonGroup* group_ = nullptr;
    std::array<QToolButton*, kToolButtonCount> buttons_{};
    std::array<int32_t, kToolButtonCount> options_{};
};

class TControlWindow : public QWidget {
    Q_OBJECT
public:
    explicit TControlWindow(TAppContext& app, QWidget* parent = nullptr);

    void showStatus(const QString& text);
    QString status() const;
    // Rebuilds the submode choices for the current mode.
    void followMode();

private:
    // The paint bucket's or the wand's colour limit, source picture and anti-alias switch.
    void addSeedFillOptions(bool wand);
    // How the selection tools and the wand combine with the selection.
    void addCombineChoice();

    TAppContext& app_;
    QLabel* tool_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* options_ = nullptr;
    QVBoxLayout* optionsLayout_ = nullptr;
};

} // namespace qm::ui
