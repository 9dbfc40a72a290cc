#include "ui/text_window.h"

#include "core/pixel_math.h"
#include "paper/paper.h"
#include "text/text_raster.h"
#include "ui/draw_window.h"
#include "ui/ui_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabletEvent>
#include <QTransform>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qm::ui {

namespace {

std::function<std::optional<QFont>(const QFont&)> g_fontChooser;

// The memo shows the chosen font up to a size that still fits a few lines in it.
constexpr int kLargestMemoPoints = 36;

QFont qtFontOf(const TFontRecord& font, int largestPoints = 0)
{
    QFont f(QString::fromStdString(font.family()));
    f.setPointSize(
        std::max(1, largestPoints > 0 ? std::min(font.points, largestPoints) : font.points));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

} // namespace

void setTextFontChooser(std::function<std::optional<QFont>(const QFont&)> chooser)
{
    g_fontChooser = std::move(chooser);
}

TTextWindow::TTextWindow(TDrawWindowWidget& window, TPoint origin, bool selectMode)
    : QDialog(&window), window_(&window), origin_(origin), selectMode_(selectMode)
{
    setObjectName(QStringLiteral("TTextWindow"));
    setWindowTitle(uiText("テキスト"));
    setWindowFlag(Qt::Tool);
    const TFontSettings& s = window.app().profile.font;
    // What the settings leave open, the window's own font supplies.
    const QFont own = QApplication::font();
    font_.face = s.face.empty() ? own.family().toStdString() : s.face;
    font_.points = s.point > 0 ? s.point : std::max(own.pointSize(), 1);
    font_.charSet = uint8_t(s.charset >= 0 ? s.charset : 1);
    font_.italic = s.italic;
    font_.bold = s.bold;
    spacing_ = s.spacing;
    leading_ = s.leading;
    spacingText_ = QString::number(spacing_);
    leadingText_ = QString::number(leading_);

    auto* layout = new QVBoxLayout(this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("MemoText"));
    memo_->setPlainText(
        QString::fromStdString(s.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    layout->addWidget(memo_, 1);

    auto* fontRow = new QHBoxLayout;
    faceLabel_ = new QLabel(this);
    faceLabel_->setObjectName(QStringLiteral("LabelFace"));
    sizeLabel_ = new QLabel(this);
    sizeLabel_->setObjectName(QStringLiteral("LabelSize"));
    auto* fontButton = new QPushButton(uiText("フォント(&F)..."), this);
    fontButton->setObjectName(QStringLiteral("ButtonFont"));
    fontRow->addWidget(faceLabel_, 1);
    fontRow->addWidget(sizeLabel_);
    fontRow->addWidget(fontButton);
    layout->addLayout(fontRow);

    auto* checks = new QHBoxLayout;
    const auto addCheck = [&](const char* name, const char* text, bool on) {
        auto* box = new QCheckBox(uiText(text), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(on);
        checks->addWidget(box);
        return box;
    };
    italic_ = addCheck("CheckItalic", "斜体(&I)", font_.italic);
    bold_ = addCheck("CheckBold", "太字(&B)", font_.bold);
    vertical_ = addCheck("CheckVertical", "縦書き(&V)", font_.vertical());
    useFont_ = addCheck("CheckUseFont", "入力欄にフォントを使う(&U)", s.useFont);
    usePreview_ = addCheck("CheckPreview", "プレビュー(&P)", s.usePreview);
    checks->addStretch();
    layout->addLayout(checks);

    auto* numbers = new QGridLayout;
    spacingField_ = new QLineEdit(spacingText_, this);
    spacingField_->setObjectName(QStringLiteral("EditSpacing"));
    leadingField_ = new QLineEdit(leadingText_, this);
    leadingField_->setObjectName(QStringLiteral("EditLeading"));
    numbers->addWidget(new QLabel(uiText("字間(&S)"), this), 0, 0);
    numbers->addWidget(spacingField_, 0, 1);
    numbers->addWidget(new QLabel(uiText("行間(&L)"), this), 0, 2);
    numbers->addWidget(leadingField_, 0, 3);
    layout->addLayout(numbers);

    auto* buttons = new QDialogButtonBox(this);
    auto* commitButton = buttons->addButton(uiText("実行(&O)"), QDialogButtonBox::AcceptRole);
    commitButton->setObjectName(QStringLiteral("ButtonCommit"));
    auto* closeButton = buttons->addButton(uiText("閉じる(&C)"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("ButtonClose"));
    layout->addWidget(buttons);

    const auto restore = [&](const char* name, int fallback) {
        const int32_t v = window.app().profile.windowInt(name);
        return v >= 0 ? v : fallback;
    };
    resize(restore("fontDlgW", 420), restore("fontDlgH", 260));
    if (window.app().profile.windowInt("fontDlgX") >= 0)
        move(restore("fontDlgX", 0), restore("fontDlgY", 0));

    connect(memo_, &QPlainTextEdit::textChanged, this, [this] { preview(); });
    connect(fontButton, &QPushButton::clicked, this, [this] { chooseFont(); });
    for (QCheckBox* box : {italic_, bold_, vertical_})
        connect(box, &QCheckBox::toggled, this, [this] {
            font_.italic = italic_->isChecked();
            font_.bold = bold_->isChecked();
            const std::string family = font_.family();
            font_.face = vertical_->isChecked() ? "@" + family : family;
            showFont();
            preview();
        });
    connect(useFont_, &QCheckBox::toggled, this, [this] { showFont(); });
    connect(usePreview_, &QCheckBox::toggled, this, [this] { preview(); });
    connect(spacingField_, &QLineEdit::textEdited, this,
            [this] { numberEdited(spacingField_, spacing_, spacingText_); });
    connect(leadingField_, &QLineEdit::textEdited, this,
            [this] { numberEdited(leadingField_, leading_, leadingText_); });
    connect(commitButton, &QPushButton::clicked, this, [this] { commit(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { reject(); });

    // Clicks in the drawing window move the origin while the window is open.
    window.installEventFilter(this);
    showFont();
    preview();
}

TTextWindow::~TTextWindow()
{
    if (window_) {
        window_->removeEventFilter(this);
        window_->update();
    }
}

bool TTextWindow::run()
{
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    // A drawing window closed meanwhile ends the text window too.
    connect(window_.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    return result() == QDialog::Accepted;
}

void TTextWindow::setOrigin(TPoint origin)
{
    origin_ = origin;
    preview();
}

TFontRecord TTextWindow::fontRecord() const
{
    return font_;
}

void TTextWindow::setFontRecord(const TFontRecord& font)
{
    font_ = font;
    const QSignalBlocker a(italic_), b(bold_), c(vertical_);
    italic_->setChecked(font_.italic);
    bold_->setChecked(font_.bold);
    vertical_->setChecked(font_.vertical());
    showFont();
    preview();
}

std::string TTextWindow::text() const
{
    return memo_->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}

void TTextWindow::numberEdited(QLineEdit* field, int32_t& value, QString& lastGood)
{
    const QString typed = field->text().trimmed();
    if (typed == QStringLiteral("-")) return; // the digits follow
    bool number = true;
    const int32_t v = typed.isEmpty() ? 0 : typed.toInt(&number);
    if (!number) {
        field->setText(lastGood);
        return;
    }
    lastGood = field->text();
    if (v == value) return;
    value = v;
    preview();
}

void TTextWindow::chooseFont()
{
    const QFont current = qtFontOf(font_);
    std::optional<QFont> chosen;
    if (g_fontChooser) {
        chosen = g_fontChooser(current);
    } else {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, current, this, uiText("フォント(&F)..."));
        if (ok) chosen = f;
    }
    if (!chosen) return;
    TFontRecord font = font_;
    const std::string family = chosen->family().toStdString();
    font.face = font_.vertical() ? "@" + family : family;
    font.points =
        chosen->pointSize() > 0 ? chosen->pointSize() : pointsForPixelHeight(chosen->pixelSize());
    font.italic = chosen->italic();
    font.bold = chosen->bold();
    setFontRecord(font);
}

void TTextWindow::showFont()
{
    faceLabel_->setText(
        uiText("%s : %s", {uiText("フォント名"), QString::fromStdString(font_.face)}));
    sizeLabel_->setText(uiText("%s : %d", {uiText("サイズ"), QString::number(font_.points)}));
    memo_->setFont(useFont_->isChecked() ? qtFontOf(font_, kLargestMemoPoints)
                                         : QApplication::font());
}

int32_t TTextWindow::rasterise(TRect& bounds)
{
    bounds = {};
    if (!window_) return -1;
    const TPaper& paper = window_->paper();
    if (coverage_.width() != paper.width || coverage_.height() != paper.height)
        coverage_.Resize(paper.width, paper.height);
    TTextRequest request;
    request.font = font_;
    request.text = text();
    request.target = &coverage_;
    request.originX = origin_.x;
    request.originY = origin_.y;
    request.spacing = spacing_;
    request.leading = leading_;
    request.messages = &window_->app().messages;
    const int32_t drawn = rasteriseText(request);
    bounds = request.bounds;
    return drawn;
}

void TTextWindow::preview()
{
    if (!window_ || !usePreview_ || !usePreview_->isChecked()) {
        removePreview();
        return;
    }
    TRect bounds;
    if (rasterise(bounds) <= 0 || bounds.isEmpty()) {
        removePreview();
        return;
    }
    // The pen's colour at the weight the pen's opacity gives each coverage byte.
    const TStroke& stroke = window_->app().liveStroke;
    const uint32_t opacity = stroke.opacityByte();
    const QRgb colour = QRgb(stroke.color & 0xFFFFFFu);
    QImage overlay(bounds.width(), bounds.height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < bounds.height(); ++y) {
        const uint8_t* v = coverage_.row(bounds.top + y) + bounds.left;
        auto* out = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int32_t x = 0; x < bounds.width(); ++x)
            out[x] = QRgb(MulTable[opacity][v[x]]) << 24 | colour;
    }
    overlay_ = std::move(overlay);
    previewRect_ = bounds;
    window_->update();
}

void TTextWindow::removePreview()
{
    if (previewRect_.isEmpty()) return;
    previewRect_ = {};
    overlay_ = {};
    if (window_) window_->update();
}

void TTextWindow::paintOverlay(QPainter& painter) const
{
    if (!window_ || previewRect_.isEmpty()) return;
    const TPaper& paper = window_->paper();
    const TPaperToWindow map = paper.paperToWindowMap(window_->width(), window_->height());
    const TPointF o = map(0, 0), ex = map(1, 0), ey = map(0, 1);
    const QTransform toWindow(ex.x - o.x, ex.y - o.y, ey.x - o.x, ey.y - o.y, o.x, o.y);
    painter.save();
    painter.setTransform(toWindow, true);
    painter.drawImage(QPointF(previewRect_.left, previewRect_.top), overlay_);
    painter.restore();
}

void TTextWindow::commit()
{
    if (!window_) return;
    TRect bounds;
    const int32_t drawn = rasterise(bounds);
    if (drawn <= 0 || bounds.isEmpty()) return; // nothing to commit
    TDrawWindowWidget& window = *window_;
    TPaper& paper = window.paper();
    const TTextRecords records{encodeTextFont({font_, int16_t(std::clamp(spacing_, -32768, 32767)),
                                               int16_t(std::clamp(leading_, -32768, 32767))}),
                               encodeText(text())};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool done = paper.commitText(window.document().flow(), window.app().liveStroke, records,
                                       selectMode_, origin_, coverage_, bounds);
    QApplication::restoreOverrideCursor();
    if (!done) return;
    window.modified = true;
    emit window.stateChanged();
    accept();
}

void TTextWindow::storeSettings()
{
    if (!window_) return;
    CAppProfile& profile = window_->app().profile;
    TFontSettings& s = profile.font;
    s.face = font_.face;
    s.point = font_.points;
    s.charset = font_.charSet;
    s.italic = font_.italic;
    s.bold = font_.bold;
    s.spacing = spacing_;
    s.leading = leading_;
    s.useFont = useFont_->isChecked();
    s.usePreview = usePreview_->isChecked();
    s.text = text();
    profile.setWindowInt("fontDlgX", x());
    profile.setWindowInt("fontDlgY", y());
    profile.setWindowInt("fontDlgW", width());
    profile.setWindowInt("fontDlgH", height());
}

void TTextWindow::done(int result)
{
    storeSettings();
    removePreview();
    QDialog::done(result);
}

bool TTextWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_.data()) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::TabletPress: {
        auto* pointer = static_cast<QSinglePointEvent*>(event);
        if (pointer->button() == Qt::LeftButton) {
            const TPointF p = window_->paper().windowToPaper(window_->width(), window_->height(),
                                                             float(pointer->position().x()),
                                                             float(pointer->position().y()));
            setOrigin({int32_t(std::floor(p.x)), int32_t(std::floor(p.y))});
        }
        pressTaken_ = true;
        event->accept();
        return true;
    }
    // The release of the click that opened the window still reaches the drawing window, so
    // that it does not think the button is held; nothing else of the mouse or the pen reaches
    // the tools while the text is placed.
    case QEvent::MouseButtonRelease:
    case QEvent::TabletRelease:
        if (!pressTaken_) return QDialog::eventFilter(watched, event);
        return true;
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::TabletMove:
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace qm::ui
