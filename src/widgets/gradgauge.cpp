#include "widgets/gradgauge.h"

#include "widgets/eventpump.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace klt {

int mulDiv(int a, int b, int c)
{
    long long n = static_cast<long long>(a) * b;
    long long d = c;
    if (d == 0) return -1;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    if (n >= 0) return static_cast<int>((2 * n + d) / (2 * d));
    return -static_cast<int>((-2 * n + d) / (2 * d));
}

std::vector<GradientBand> gradientBands(int extent, int n, const QColor& s, const QColor& e)
{
    std::vector<GradientBand> bands;
    if (n < 1) n = 1;
    extent = std::max(extent, 0);
    bands.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        GradientBand b;
        b.from = mulDiv(i, extent, n);
        b.to = mulDiv(i + 1, extent, n);
        if (n < 2) {
            b.color = s;
        } else {
            b.color = QColor(s.red() + mulDiv(i, e.red() - s.red(), n - 1),
                             s.green() + mulDiv(i, e.green() - s.green(), n - 1),
                             s.blue() + mulDiv(i, e.blue() - s.blue(), n - 1));
        }
        bands.push_back(b);
    }
    return bands;
}

TGradGaug::TGradGaug(QWidget* parent) : QWidget(parent)
{
    resize(100, 20);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    // Every pixel is painted, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradGaug::setBeginColor(const QColor& c)
{
    begin_ = c;
    update();
}

void TGradGaug::setEndColor(const QColor& c)
{
    end_ = c;
    update();
}

void TGradGaug::setNumberOfColors(int n)
{
    colors_ = std::clamp(n, 1, 255);
    update();
}

void TGradGaug::setProgressCaption(ProgressCaption k)
{
    if (k == caption_) return;
    caption_ = k;
    repaintIfChanged();
}

void TGradGaug::setFillDirection(FillDirection d)
{
    if (d == fill_) return;
    fill_ = d;
    lastPaintedLength_ = 0;
    update();
}

void TGradGaug::setDirection(GaugeDirection d)
{
    if (d == direction_) return;
    direction_ = d;
    lastPaintedLength_ = 0;
    update();
}

void TGradGaug::setBevelStyle(BevelStyle s)
{
    if (s == bevel_) return;
    if (bevel_ == BevelStyle::None) resize(width() + 2, height() + 2);
    if (s == BevelStyle::None) resize(width() - 2, height() - 2);
    bevel_ = s;
    update();
}

void TGradGaug::setMinValue(int v)
{
    if (v == min_) return;
    min_ = v;
    if (progress_ < v) progress_ = v;
    repaintIfChanged();
}

void TGradGaug::setMaxValue(int v)
{
    if (v == max_) return;
    max_ = v;
    if (v < progress_) setProgress(v);
    repaintIfChanged();
}

void TGradGaug::setProgress(int v)
{
    if (v == progress_ || v < min_ || v > max_) return;
    progress_ = v;
    repaintIfChanged();
}

void TGradGaug::setFontColor(const QColor& c)
{
    fontColor_ = c;
    update();
}

void TGradGaug::setColor(const QColor& c)
{
    background_ = c;
    update();
}

double TGradGaug::percent() const
{
    if (min_ == max_) return 0.0;
    return static_cast<double>(progress_ - min_) / (static_cast<double>(max_) - min_) * 100.0;
}

void TGradGaug::stepBy(int delta)
{
    // Raised to the minimum, then lowered to the maximum: a range set upside
    // down leaves the value to the setter, which refuses it.
    long long next = static_cast<long long>(progress_) + delta;
    if (next < min_) next = min_;
    if (next > max_) next = max_;
    setProgress(static_cast<int>(next));
    runPendingEventsSometimes();
    repaintIfChanged();
}

int TGradGaug::barLength() const
{
    const int extent = direction_ == GaugeDirection::Vertical ? height() : width();
    return static_cast<int>(std::trunc(percent() * extent / 100.0)) - 2;
}

QString TGradGaug::captionText() const
{
    char buf[32];
    switch (caption_) {
    case ProgressCaption::None: return {};
    case ProgressCaption::Percent:
        // Halves round up (42.5 shows 43), not to the even neighbour as printf would.
        std::snprintf(buf, sizeof buf, "%.0f%%", std::round(percent()));
        break;
    case ProgressCaption::Absolute: std::snprintf(buf, sizeof buf, "%d", progress_); break;
    }
    return QString::fromLatin1(buf);
}

QRect TGradGaug::barRect() const
{
    const int len = std::max(barLength(), 0);
    if (direction_ == GaugeDirection::Horizontal) return {1, 1, len, std::max(height() - 2, 0)};
    const int w = std::max(width() - 2, 0);
    return {1, height() - len - 1, w, len};
}

void TGradGaug::repaintIfChanged()
{
    if (barLength() == lastPaintedLength_ && captionText() == lastPaintedCaption_) return;
    repaint();
}

void TGradGaug::paintEvent(QPaintEvent*)
{
    lastPaintedLength_ = barLength();
    lastPaintedCaption_ = captionText();

    QPainter p(this);
    QRect inner = rect();
    if (bevel_ != BevelStyle::None) {
        QColor shadow = palette().color(QPalette::Dark);
        QColor light = palette().color(QPalette::Light);
        if (bevel_ == BevelStyle::Raised) std::swap(shadow, light);
        const QRect r = rect();
        p.fillRect(r.left(), r.top(), r.width(), 1, shadow);
        p.fillRect(r.left(), r.top(), 1, r.height(), shadow);
        p.fillRect(r.left(), r.bottom(), r.width(), 1, light);
        p.fillRect(r.right(), r.top(), 1, r.height(), light);
        inner.adjust(1, 1, -1, -1);
    }
    p.setClipRect(inner);
    p.fillRect(inner, background_.isValid() ? background_ : palette().color(QPalette::Window));

    const QRect bar = barRect();
    if (!bar.isEmpty()) {
        QColor s = begin_, e = end_;
        if (fill_ == FillDirection::BottomToTop || fill_ == FillDirection::RightToLeft) std::swap(s, e);
        const bool across = fill_ == FillDirection::TopToBottom || fill_ == FillDirection::BottomToTop;
        for (const GradientBand& b : gradientBands(across ? bar.height() : bar.width(), colors_, s, e)) {
            if (b.to <= b.from) continue;
            const QRect band = across ? QRect(bar.left(), bar.top() + b.from, bar.width(), b.to - b.from)
                                      : QRect(bar.left() + b.from, bar.top(), b.to - b.from, bar.height());
            p.fillRect(band, b.color);
        }
    }
    const QString caption = lastPaintedCaption_;
    if (!caption.isEmpty()) {
        p.setFont(font());
        // The caption in the font colour over the bar, and over the part not
        // yet filled in a colour that stands out against the background.
        const QColor back = background_.isValid() ? background_ : palette().color(QPalette::Window);
        const QColor overBack = qGray(back.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
        const QRegion barArea = QRegion(bar.intersected(inner));
        p.setClipRegion(QRegion(inner).subtracted(barArea));
        p.setPen(overBack);
        p.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, caption);
        if (!barArea.isEmpty()) {
            p.setClipRegion(barArea);
            p.setPen(fontColor_);
            p.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, caption);
        }
    }
}

} // namespace klt
