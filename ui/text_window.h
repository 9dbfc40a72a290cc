// The text tool's window: the text typed in a memo field, its font, letter spacing and line
// spacing, and a live preview drawn over the drawing window. While it is open, left clicks in
// the drawing window move the text's origin instead of reaching the tools. Committing paints
// the text onto the current layer with the pen (or makes it the selection) as one recorded
// edit, so a replay needs none of the fonts.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "text/font_record.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPointer>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;

namespace qm::ui {

class TDrawWindowWidget;

// Test hook: what the font dialog answers (nullptr: the real dialog; nullopt: Cancel).
void setTextFontChooser(std::function<std::optional<QFont>(const QFont&)> chooser);

class TTextWindow : public QDialog {
    Q_OBJECT
  public:
    TTextWindow(TDrawWindowWidget& window, TPoint origin, bool selectMode);
    ~TTextWindow() override;

    // Shows the window and waits until it closes; true when the text was committed.
    bool run();

    TPoint origin() const { return origin_; }
    void setOrigin(TPoint origin);
    TFontRecord fontRecord() const;
    void setFontRecord(const TFontRecord& font);
    int32_t spacing() const { return spacing_; }
    int32_t leading() const { return leading_; }
    // The text as recorded: UTF-8, lines separated by CR LF.
    std::string text() const;
    // The rectangle of the preview on the paper (empty when none is shown).
    const TRect& previewRect() const { return previewRect_; }
    // Draws the preview over the drawing window's view.
    void paintOverlay(QPainter& painter) const;

    QPlainTextEdit* memo() const { return memo_; }
    QLineEdit* spacingField() const { return spacingField_; }
    QLineEdit* leadingField() const { return leadingField_; }

    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A field of a signed whole number: empty is 0, a lone "-" waits for the digits, anything
    // else that is not a number puts the last good text back.
    void numberEdited(QLineEdit* field, int32_t& value, QString& lastGood);
    void chooseFont();
    void showFont();
    void preview();
    void removePreview();
    // Rasterises the text at the origin into coverage_; the glyphs drawn, or −1.
    int32_t rasterise(TRect& bounds);
    void commit();
    void storeSettings();

    QPointer<TDrawWindowWidget> window_;
    bool pressTaken_ = false; // a press in the drawing window has moved the origin
    TPoint origin_;
    bool selectMode_;
    TFontRecord font_;
    int32_t spacing_ = 0, leading_ = 0;
    QString spacingText_, leadingText_;
    TChannel coverage_;
    TRect previewRect_{};
    QImage overlay_; // the pen's colour at the preview's weights, over previewRect_

    QPlainTextEdit* memo_ = nullptr;
    QLabel* faceLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* vertical_ = nullptr;
    QCheckBox* useFont_ = nullptr;
    QCheckBox* usePreview_ = nullptr;
    QLineEdit* spacingField_ = nullptr;
    QLineEdit* leadingField_ = nullptr;
};

} // namespace qm::ui
