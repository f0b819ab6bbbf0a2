#include "widgets/progressstatusbar.h"

#include <QLabel>

namespace klt {

namespace {
QLabel* sunkenLabel(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setLineWidth(1);
    l->setMargin(0);
    return l;
}
} // namespace

TProgressStatusbar::TProgressStatusbar(QWidget* parent) : QStatusBar(parent)
{
    captionPanel_ = sunkenLabel(this);
    captionPanel_->setAlignment(Qt::AlignCenter);
    captionPanel_->setObjectName(QStringLiteral("captionPanel"));
    gauge_ = new TGradGaug(this);
    gauge_->setObjectName(QStringLiteral("gauge"));
    gauge_->setMinimumHeight(captionPanel_->sizeHint().height());
    addWidget(captionPanel_);
    addWidget(gauge_, 1);
    captionPanel_->hide();
    gauge_->hide();
    setCaption(QStringLiteral("Ждите"));
}

void TProgressStatusbar::setPanels(int count, int width)
{
    for (QLabel* p : panels_) {
        removeWidget(p);
        delete p;
    }
    panels_.clear();
    for (int i = 0; i < count; ++i) {
        QLabel* p = sunkenLabel(this);
        p->setObjectName(QStringLiteral("panel%1").arg(i));
        const bool last = i == count - 1;
        if (last) p->setMinimumWidth(width);
        else p->setFixedWidth(width);
        // Long hints must not widen the window.
        p->setSizePolicy(last ? QSizePolicy::Ignored : QSizePolicy::Fixed, QSizePolicy::Preferred);
        insertWidget(i, p, last ? 1 : 0);
        p->setVisible(mode_ == StatusMode::Statusbar);
        panels_.push_back(p);
    }
}

QString TProgressStatusbar::panelText(int i) const
{
    if (i < 0 || i >= panelCount()) return {};
    return panels_[static_cast<size_t>(i)]->text();
}

void TProgressStatusbar::setPanelText(int i, const QString& text)
{
    if (i < 0 || i >= panelCount()) return;
    QLabel* p = panels_[static_cast<size_t>(i)];
    if (p->text() != text) p->setText(text);
}

void TProgressStatusbar::setMode(StatusMode m)
{
    if (m == mode_) return;
    mode_ = m;
    const bool progress = m == StatusMode::Progressbar;
    setSizeGripEnabled(!progress);
    for (QLabel* p : panels_) p->setVisible(!progress);
    captionPanel_->setVisible(progress);
    gauge_->setVisible(progress);
    update();
}

void TProgressStatusbar::fitCaptionPanel()
{
    const int w = labelWidth_ != 0 ? labelWidth_ : fontMetrics().horizontalAdvance(caption_) + 5;
    captionPanel_->setFixedWidth(w);
}

void TProgressStatusbar::setLabelWidth(int w)
{
    labelWidth_ = w;
    fitCaptionPanel();
    captionPanel_->update();
}

void TProgressStatusbar::setCaption(const QString& s)
{
    if (s == caption_) return;
    caption_ = s;
    captionPanel_->setText(s);
    if (labelWidth_ == 0) fitCaptionPanel();
}

void TProgressStatusbar::setBeginColor(const QColor& c)
{
    gauge_->setBeginColor(c);
    captionPanel_->update();
}

void TProgressStatusbar::setEndColor(const QColor& c)
{
    gauge_->setEndColor(c);
    captionPanel_->update();
}

void TProgressStatusbar::setNumberOfColors(int n)
{
    gauge_->setNumberOfColors(n);
    captionPanel_->update();
}

void TProgressStatusbar::setMinValue(int v)
{
    gauge_->setMinValue(v);
    captionPanel_->update();
}

void TProgressStatusbar::setMaxValue(int v)
{
    gauge_->setMaxValue(v);
    captionPanel_->update();
}

void TProgressStatusbar::setProgress(int v)
{
    gauge_->setProgress(v);
    captionPanel_->update();
}

void TProgressStatusbar::startProgress(const QString& text, int maximum, ProgressCaption kind)
{
    setMode(StatusMode::Progressbar);
    setProgressCaption(kind);
    setProgress(0);
    setCaption(text);
    setMaxValue(maximum);
}

void TProgressStatusbar::stepBy(int delta)
{
    gauge_->stepBy(delta);
    captionPanel_->update();
}

} // namespace klt
