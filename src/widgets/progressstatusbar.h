#pragma once
// A status bar that switches between ordinary text panels and a progress
// display: a caption panel at the left and a gradient gauge filling the rest.
#include <QStatusBar>
#include <vector>

#include "widgets/gradgauge.h"

class QLabel;

namespace klt {

enum class StatusMode { Statusbar, Progressbar };

class TProgressStatusbar : public QStatusBar {
    Q_OBJECT
public:
    explicit TProgressStatusbar(QWidget* parent = nullptr);

    // Text panels of the given width; the last one also takes the rest of the bar.
    void setPanels(int count, int width);
    int panelCount() const { return static_cast<int>(panels_.size()); }
    QString panelText(int i) const;
    void setPanelText(int i, const QString& text);
    QLabel* panel(int i) const { return panels_.at(static_cast<size_t>(i)); }

    StatusMode mode() const { return mode_; }
    void setMode(StatusMode m);
    int labelWidth() const { return labelWidth_; }
    // 0 makes the caption panel fit its caption.
    void setLabelWidth(int w);
    QString caption() const { return caption_; }
    void setCaption(const QString& s);

    QColor beginColor() const { return gauge_->beginColor(); }
    void setBeginColor(const QColor& c);
    QColor endColor() const { return gauge_->endColor(); }
    void setEndColor(const QColor& c);
    int numberOfColors() const { return gauge_->numberOfColors(); }
    void setNumberOfColors(int n);
    ProgressCaption progressCaption() const { return gauge_->progressCaption(); }
    void setProgressCaption(ProgressCaption k) { gauge_->setProgressCaption(k); }
    int minValue() const { return gauge_->minValue(); }
    void setMinValue(int v);
    int maxValue() const { return gauge_->maxValue(); }
    void setMaxValue(int v);
    int progress() const { return gauge_->progress(); }
    void setProgress(int v);

    void startProgress(const QString& text, int maximum, ProgressCaption kind);
    void stepBy(int delta);

    TGradGaug* gauge() const { return gauge_; }
    QLabel* captionPanel() const { return captionPanel_; }

private:
    void fitCaptionPanel();

    StatusMode mode_ = StatusMode::Statusbar;
    int labelWidth_ = 0;
    QString caption_;
    std::vector<QLabel*> panels_;
    QLabel* captionPanel_;
    TGradGaug* gauge_;
};

} // namespace klt
