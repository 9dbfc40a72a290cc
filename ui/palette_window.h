// The palette window: the user palette as a grid of swatches (scrolling when its rows exceed
// the view), the swatch of the pen's main colour marked. A click takes a swatch's colour as
// the main colour; dragging a swatch moves it; the context menu and the buttons insert the
// main colour before the chosen swatch, delete it, and load and save palette files. The rules
// are the palette's and its files' own; the window only draws and asks them.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QScrollArea;

namespace qm {
class CPalette;
struct TPalMessage;
} // namespace qm

namespace qm::ui {

struct TAppContext;
class TPalWindow;

// A palette message in the user's language, its fields filled in.
QString palMessageText(const TPalMessage& message);

// At start-up, once the settings are read: loads the file "palFile" names, or else
// "default.qpl" in the program's folder, or writes the default palette there; "palFile" is set
// to the palette's own file and the messages go to app.messages (the CMYK question to a box).
void startAppPalette(TAppContext& app, CPalette& palette);
// At exit, before the settings are written: the palette back into "palFile" (nothing is
// written when the file already holds it); a failure is told through app.messages.
void saveAppPalette(TAppContext& app, CPalette& palette);

// The grid itself, sized to every swatch; the window scrolls it.
class TPalSwatches : public QWidget {
    Q_OBJECT
  public:
    TPalSwatches(TPalWindow& window, QWidget* parent);

    // The swatch under a point (−1: none) and the rectangle of swatch i.
    int32_t swatchAt(QPoint p) const;
    QRect swatchRect(int32_t i) const;
    // Where a dragged swatch lands when released at p: the swatch there, or the last one.
    int32_t dropIndexAt(QPoint p) const;
    // Follows the palette's size.
    void resizeToPalette();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TPalWindow& window_;
    int32_t pressed_ = -1;
    QPoint pressAt_;
    bool dragging_ = false;
};

class TPalWindow : public QWidget {
    Q_OBJECT
  public:
    // The palette is the caller's and outlives the window.
    TPalWindow(TAppContext& app, CPalette& palette, QWidget* parent = nullptr);

    // The palette changed outside the window (loaded at start-up): redraw and resize.
    void refresh();
    // The pen's main colour changed: the mark follows.
    void followColour();

    // ---- the commands ----
    void actPalInsert(); // the main colour before the chosen swatch (at the end without one)
    void actPalDelete(); // the chosen swatch
    void actPalLoad();
    void actPalSave();

    // A swatch clicked: its colour becomes the main colour, and it is the chosen one.
    void pick(int32_t swatch);
    // The swatch the commands work on (−1: none).
    int32_t chosen() const { return chosen_; }
    void choose(int32_t swatch);
    // A dragged swatch dropped at `to`.
    void moveSwatch(int32_t from, int32_t to);
    // The swatch the main colour equals (−1: none).
    int32_t marked() const;

    CPalette& palette() { return palette_; }
    const CPalette& palette() const { return palette_; }
    TPalSwatches* swatches() const { return swatches_; }
    QScrollArea* scroller() const { return scroller_; }
    // The commands, named "actPalInsert", "actPalDelete", "actPalLoad", "actPalSave".
    QAction* action(const char* name) const;

    // Replaceable in tests. chooseFile asks for a palette to save (save = true) or load,
    // starting at `start` with `filter` (1-based) selected, and sets `filter` to the one
    // chosen; an empty path cancels.
    std::function<QString(bool save, const QString& start, int32_t& filter)> chooseFile;
    // Called after this window changed the palette (the lead may mark it for saving).
    std::function<void()> paletteChanged;

  private:
    void tell(const std::vector<TPalMessage>& messages);
    void changed();

    TAppContext& app_;
    CPalette& palette_;
    TPalSwatches* swatches_ = nullptr;
    QScrollArea* scroller_ = nullptr;
    int32_t chosen_ = -1;
};

} // namespace qm::ui
