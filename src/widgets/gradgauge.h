#pragma once
// A progress bar whose filled part is a banded colour gradient, framed by an
// optional bevel, with the percentage or the value drawn over it.
#include <QColor>
#include <QWidget>
#include <vector>

namespace klt {

enum class ProgressCaption { None, Percent, Absolute };
enum class FillDirection { TopToBottom, BottomToTop, LeftToRight, RightToLeft };
enum class GaugeDirection { Horizontal, Vertical };
enum class BevelStyle { None, Lowered, Raised };

// a * b / c, rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c);

struct GradientBand {
    int from = 0, to = 0; // [from, to) along the fill axis
    QColor color;
};
// The n bands of a bar of the given extent, from start to end colour.
std::vector<GradientBand> gradientBands(int extent, int n, const QColor& start, const QColor& end);

class TGradGaug : public QWidget {
    Q_OBJECT
public:
    explicit TGradGaug(QWidget* parent = nullptr);

    QColor beginColor() const { return begin_; }
    void setBeginColor(const QColor& c);
    QColor endColor() const { return end_; }
    void setEndColor(const QColor& c);
    int numberOfColors() const { return colors_; }
    void setNumberOfColors(int n); // 1..255
    ProgressCaption progressCaption() const { return caption_; }
    void setProgressCaption(ProgressCaption k);
    FillDirection fillDirection() const { return fill_; }
    void setFillDirection(FillDirection d);
    GaugeDirection direction() const { return direction_; }
    void setDirection(GaugeDirection d);
    BevelStyle bevelStyle() const { return bevel_; }
    void setBevelStyle(BevelStyle s);
    int minValue() const { return min_; }
    void setMinValue(int v);
    int maxValue() const { return max_; }
    void setMaxValue(int v);
    int progress() const { return progress_; }
    // Ignored unless minValue <= v <= maxValue.
    void setProgress(int v);
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor& c);
    // Background of the part the bar does not cover; invalid means the palette's.
    void setColor(const QColor& c);

    double percent() const;
    // Advances within the range and lets pending interface events run (at
    // most every few milliseconds, so tiny steps stay cheap).
    void stepBy(int delta);

    // Bar length in pixels along the growth axis (may be negative: no bar).
    int barLength() const;
    QString captionText() const;
    QRect barRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    QSize sizeHint() const override { return {100, 20}; }

private:
    // Repaints at once, but only when the picture would differ from the last one.
    void repaintIfChanged();

    QColor begin_{0, 0, 0};
    QColor end_{0, 0, 255};
    int colors_ = 16;
    ProgressCaption caption_ = ProgressCaption::Percent;
    FillDirection fill_ = FillDirection::LeftToRight;
    GaugeDirection direction_ = GaugeDirection::Horizontal;
    BevelStyle bevel_ = BevelStyle::Lowered;
    int min_ = 0, max_ = 100, progress_ = 0;
    QColor fontColor_{255, 255, 255};
    QColor background_;

    int lastPaintedLength_ = 0;
    QString lastPaintedCaption_;
};

} // namespace klt
