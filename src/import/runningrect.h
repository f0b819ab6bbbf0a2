#pragma once
// An animated dashed rectangle: dashes that run clockwise around its border,
// one pixel every 10 ms, drawn by inverting what lies beneath so that they
// show on any picture. The import dialog's selection rectangle.
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace klt {

class TRunningRect : public QWidget {
    Q_OBJECT
public:
    explicit TRunningRect(QWidget* parent = nullptr);

    // Showing starts the animation, hiding stops it; setting the same
    // visibility again does nothing.
    void setVisible(bool visible) override;
    int phase() const { return phase_; }
    bool running() const { return timer_.isActive(); }

    // The dashes of a w × h rectangle at a phase (0..10), inverted on the
    // painter's device: for i = 0 .. w div 10 (h div 10 on the sides) a dash
    // of 6 pixels starts 10 i + phase from the corner where its edge begins.
    static void paintDashes(QPainter& painter, int w, int h, int phase);

    // Mouse events in the rectangle's own coordinates (the dialog handles them).
    std::function<void(QMouseEvent*)> onMouseMove;
    std::function<void(QMouseEvent*)> onMouseRelease;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }

private:
    void tick();

    QTimer timer_;
    int phase_ = 0;
    bool shown_ = true;
};

} // namespace klt
