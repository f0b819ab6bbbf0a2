#include "render/previewpanel.h"

#include <QAction>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/workspace.h"
#include "editing/colorbox.h"
#include "editing/spinedit.h"
#include "render/pictureexport.h"

namespace klt {

void PictureView::setPicture(const QImage& image)
{
    image_ = image;
    update();
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

PreviewPanel::PreviewPanel(const Workspace& ws, const QWidget& numberFontSource, QWidget* parent)
    : QWidget(parent), ws_(ws), numberFontSource_(numberFontSource)
{
    auto* top = new QWidget(this);
    top->setFixedHeight(96);
    // The panel is narrow: its controls take the small size the window was designed with.
    QFont small = top->font();
    small.setPointSize(8);
    top->setFont(small);
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(4, 4, 2, 4);
    grid->setVerticalSpacing(4);

    auto* blackLabel = new QLabel(QStringLiteral("\"Черный\" цвет"), top);
    clBlackColor_ = new ColorBox(top);
    clBlackColor_->setObjectName(QStringLiteral("clBlackColor"));
    clBlackColor_->setToolTip(QStringLiteral("Цвет закрашенных ячеек при экспорте"));
    clBlackColor_->setStatusTip(clBlackColor_->toolTip());
    clBlackColor_->setColor(Qt::black);
    grid->addWidget(blackLabel, 0, 0);
    grid->addWidget(clBlackColor_, 0, 1);

    auto* frameLabel = new QLabel(QStringLiteral("Толщина рамки"), top);
    rxsFrameWidth_ = new SpinEdit(0, 25, 0, top);
    rxsFrameWidth_->setObjectName(QStringLiteral("rxsFrameWidth"));
    grid->addWidget(frameLabel, 1, 0);
    grid->addWidget(rxsFrameWidth_, 1, 1);

    btnKeyWordFont_ = new QToolButton(top);
    btnKeyWordFont_->setObjectName(QStringLiteral("btnKeyWordFont"));
    btnKeyWordFont_->setText(QStringLiteral("Шрифт ключевого слова"));
    btnKeyWordFont_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    lKeyWordFont_ = new QLabel(QStringLiteral("Прм"), top);
    lKeyWordFont_->setObjectName(QStringLiteral("lKeyWordFont"));
    lKeyWordFont_->setFont(defaultPictureFont());
    // The button's caption is long for the panel: it takes the row, the sample beside it.
    auto* fontRow = new QHBoxLayout;
    fontRow->setSpacing(4);
    fontRow->addWidget(btnKeyWordFont_);
    fontRow->addWidget(lKeyWordFont_, 1);
    grid->addLayout(fontRow, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    // In the narrow panel the labels keep their text; the controls give way.
    for (QLabel* l : {blackLabel, frameLabel}) l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    clBlackColor_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    clBlackColor_->setMinimumContentsLength(0);

    image1_ = new PictureView(this);
    image1_->setObjectName(QStringLiteral("Image1"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(top);
    column->addWidget(image1_, 1);

    // clBlackColorChange serves both controls.
    connect(clBlackColor_, &ColorBox::colorChanged, this, &PreviewPanel::refresh);
    connect(rxsFrameWidth_, &SpinEdit::changed, this, &PreviewPanel::refresh);
    connect(btnKeyWordFont_, &QToolButton::clicked, this, [this] {
        if (!btnKeyWordFont_->defaultAction()) chooseKeyWordFont();
    });

    chooseFont_ = [](const QFont& current, QWidget* parent) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, current, parent);
        if (!ok) return std::nullopt;
        return f;
    };
}

void PreviewPanel::setKeyWordFontAction(QAction* action)
{
    btnKeyWordFont_->setDefaultAction(action);
    // The action's caption is the button's; keep the text-only look.
    btnKeyWordFont_->setToolButtonStyle(Qt::ToolButtonTextOnly);
}

PictureStyle PreviewPanel::style() const
{
    PictureStyle s;
    s.fill = clBlackColor_->color();
    s.frameWidth = std::clamp(rxsFrameWidth_->enteredValue(), 0, 25);
    s.numberFont = numberFontSource_.font();
    s.letterFont = lKeyWordFont_->font();
    return s;
}

void PreviewPanel::refresh()
{
    PictureJob job{ws_.doc.field(), ws_.doc.cellSize(), style(), PictureOptions{.answers = true, .correction = false, .numbers = true}};
    // The panel shows the picture from its top-left corner and is never wider
    // or taller than the screens; a larger bitmap would only cost memory (a
    // full-size picture may run to gigabytes).
    QSize screens;
    for (const QScreen* s : QGuiApplication::screens()) screens = screens.expandedTo(s->virtualSize());
    image1_->setPicture(rasterPicture(job, referenceScreen(), screens));
}

void PreviewPanel::chooseKeyWordFont()
{
    if (auto f = chooseFont_(lKeyWordFont_->font(), window())) lKeyWordFont_->setFont(*f);
    refresh();
}

void PreviewPanel::restoreSettings(const QSettings& s)
{
    bool ok = false;
    const int width = s.value(QStringLiteral("rxsFrameWidth.Value")).toInt(&ok);
    if (ok) rxsFrameWidth_->showValue(width);
    QFont f;
    if (s.contains(QStringLiteral("lKeyWordFont.Font")) && f.fromString(s.value(QStringLiteral("lKeyWordFont.Font")).toString()))
        lKeyWordFont_->setFont(f);
}

void PreviewPanel::saveSettings(QSettings& s) const
{
    s.setValue(QStringLiteral("rxsFrameWidth.Value"), std::clamp(rxsFrameWidth_->enteredValue(), 0, 25));
    s.setValue(QStringLiteral("lKeyWordFont.Font"), lKeyWordFont_->font().toString());
}

} // namespace klt
