#pragma once
// The picture view of the import dialog: the view bitmap centred in the
// 250 × 250 view control ("Im") on a textured background, and the running
// selection rectangle over it ("sMove"). The view control shows at an
// integer zoom and sits in the middle of the widget, which may be larger.
//
// Every point and rectangle of this API is in view-control pixels
// (0..kViewSide, the coordinates conversionRegion() takes), whatever the zoom.
// The mouse:
// - left drag on the view: draws the selection. The press places it, hidden;
//   the first move shows it; the edge nearer the pointer follows it, held to
//   the view control; a release at most 2 pixels across either way drops it;
// - left drag on the selection: moves it;
// - left click on the picture (no drag): pixelClicked;
// - right drag, when panning is allowed: panStarted, then panMoved.
#include <QFrame>
#include <QImage>
#include <QRect>
#include <optional>

class QMouseEvent;

namespace klt {

class TRunningRect;

class TPictureView : public QFrame {
    Q_OBJECT
public:
    explicit TPictureView(QWidget* parent = nullptr);

    // The view bitmap (at most kViewSide a side), drawn centred.
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

    // The selection while it shows; setting one shows it, nullopt hides it.
    std::optional<QRect> selection() const;
    void setSelection(const std::optional<QRect>& rect);
    // The animated rectangle that draws the selection (its own mouse events
    // move it).
    TRunningRect* selectionRect() const { return rect_; }

    // The view control shows zoom × its size (1 and up). With autoZoom on,
    // the zoom is the largest that fits the widget.
    int zoom() const { return zoom_; }
    void setZoom(int zoom);
    void setAutoZoom(bool on);

    // A right drag pans only while this is on (a picture larger than the view).
    void setPannable(bool on) { pannable_ = on; }
    // Enables the view control; the selection rectangle keeps its own state.
    void setViewEnabled(bool on);
    // The cursor a fresh picture starts with: the pointing hand over a
    // picture, the arrow without one.
    void resetCursor();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The selection was shown, hidden, resized or moved.
    void selectionChanged();
    // The pointer moved without a button over the view: the view-bitmap
    // pixel under it, and whether that pixel is on the picture.
    void hovered(QPoint pixel, bool onPicture);
    // A left click on the picture, at this view-bitmap pixel.
    void pixelClicked(QPoint pixel);
    // A right drag began; panMoved gives the press point minus the pointer.
    void panStarted();
    void panMoved(QPoint delta);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class PictureViewControl;

    // The view control's mouse, in view-control pixels.
    void viewPress(Qt::MouseButton button, QPoint at);
    void viewMove(Qt::MouseButtons buttons, QPoint at);
    void viewRelease(Qt::MouseButton button, QPoint at);
    // The selection rectangle's mouse, in view-control pixels.
    void rectMove(Qt::MouseButtons buttons, QPoint at);
    void rectRelease(Qt::MouseButton button, QPoint at);

    QPoint toView(QPoint controlPixel) const;
    QPoint rectToView(QMouseEvent* e) const;
    void hover(QPoint at);
    void resizeSelection(QPoint at);
    void setSelectionShown(bool shown);
    void placeChildren();
    void setViewCursor(Qt::CursorShape shape);

    QImage image_;
    QWidget* control_ = nullptr;
    TRunningRect* rect_ = nullptr;
    QRect selection_{0, 0, 30, 30};
    int zoom_ = 1;
    bool autoZoom_ = false;
    bool pannable_ = false;

    QPoint downPoint_, grabOffset_;
    bool movingRect_ = false;
    Qt::CursorShape viewCursor_ = Qt::ArrowCursor;
    Qt::CursorShape rectCursor_ = Qt::ArrowCursor;
};

} // namespace klt
