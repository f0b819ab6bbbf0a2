// The import dialog's picture view on its own: drawing, moving and dropping
// the selection, the signals it sends, and the zoom's coordinates.
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include "support/mouseevents.h"
#include "import/pictureview.h"
#include "import/runningrect.h"

using namespace klt;

namespace {

using klt::test::drag;
using klt::test::hover;
using klt::test::press;
using klt::test::release;

QImage grey(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(128, 128, 128));
    return img;
}

} // namespace

class PictureViewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void drawingTheSelection();
    void settingAndMovingTheSelection();
    void clicksAndHovers();
    void panningOnlyWhenAllowed();
    void zoomedCoordinates();

private:
    QWidget* control() const { return view_->findChild<QWidget*>("Im"); }
    std::unique_ptr<QWidget> window_;
    TPictureView* view_ = nullptr;
};

void PictureViewTest::init()
{
    // A child, so that its resizes take effect at once.
    window_ = std::make_unique<QWidget>();
    window_->resize(1000, 1000);
    view_ = new TPictureView(window_.get());
    view_->resize(view_->sizeHint());
    view_->setImage(grey(250, 250));
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void PictureViewTest::cleanup()
{
    window_.reset();
}

void PictureViewTest::drawingTheSelection()
{
    QSignalSpy changed(view_, &TPictureView::selectionChanged);
    QVERIFY(!view_->selection());
    press(control(), {50, 60});
    QVERIFY(!view_->selection()); // placed, hidden until the first move
    QCOMPARE(changed.count(), 0);
    drag(control(), {80, 100});
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(50, 60, 30, 40)));
    QVERIFY(view_->selectionRect()->running());
    QCOMPARE(changed.count(), 1);
    // Past the middle the near edge follows; the view control holds it.
    drag(control(), {-30, 130});
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(0, 60, 80, 70)));
    release(control(), {-30, 130});
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(0, 60, 80, 70)));
    QCOMPARE(changed.count(), 2);

    // A thin drag is dropped when released.
    press(control(), {10, 10});
    drag(control(), {100, 12});
    QVERIFY(view_->selection());
    release(control(), {100, 12});
    QVERIFY(!view_->selection());
    QVERIFY(!view_->selectionRect()->running());
}

void PictureViewTest::settingAndMovingTheSelection()
{
    QSignalSpy changed(view_, &TPictureView::selectionChanged);
    view_->setSelection(QRect(20, 30, 40, 50));
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(20, 30, 40, 50)));
    QCOMPARE(changed.count(), 1);
    TRunningRect* rect = view_->selectionRect();
    QCOMPARE(rect->geometry().size(), QSize(40, 50));
    // A left drag on the rectangle moves it by the pointer's way.
    drag(rect, {5, 5});
    drag(rect, {12, 2});
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(27, 27, 40, 50)));
    QCOMPARE(rect->cursor().shape(), Qt::SizeAllCursor);
    QSignalSpy clicked(view_, &TPictureView::pixelClicked);
    release(rect, {12, 2});
    QCOMPARE(clicked.count(), 0); // a move is no click
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(27, 27, 40, 50)));
    view_->setSelection(std::nullopt);
    QVERIFY(!view_->selection());
    QCOMPARE(changed.count(), 4);
}

void PictureViewTest::clicksAndHovers()
{
    view_->setImage(grey(50, 20)); // centred at (100, 115)
    view_->resetCursor();
    QSignalSpy hovered(view_, &TPictureView::hovered);
    QSignalSpy clicked(view_, &TPictureView::pixelClicked);
    hover(control(), {103, 118});
    QCOMPARE(hovered.count(), 1);
    QCOMPARE(hovered.at(0).at(0).toPoint(), QPoint(3, 3));
    QCOMPARE(hovered.at(0).at(1).toBool(), true);
    QCOMPARE(control()->cursor().shape(), Qt::PointingHandCursor);
    press(control(), {103, 118});
    release(control(), {103, 118});
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toPoint(), QPoint(3, 3));
    hover(control(), {10, 10});
    QCOMPARE(hovered.last().at(1).toBool(), false);
    QCOMPARE(control()->cursor().shape(), Qt::ArrowCursor);
    // Off the picture a click picks nothing.
    press(control(), {10, 10});
    release(control(), {10, 10});
    QCOMPARE(clicked.count(), 1);
}

void PictureViewTest::panningOnlyWhenAllowed()
{
    QSignalSpy started(view_, &TPictureView::panStarted);
    QSignalSpy moved(view_, &TPictureView::panMoved);
    press(control(), {100, 100}, Qt::RightButton);
    drag(control(), {90, 80}, Qt::RightButton);
    release(control(), {90, 80}, Qt::RightButton);
    QCOMPARE(started.count(), 0);
    QCOMPARE(moved.count(), 0);

    view_->setPannable(true);
    view_->setSelection(QRect(1, 1, 20, 20));
    press(control(), {100, 100}, Qt::RightButton);
    QCOMPARE(started.count(), 1);
    QVERIFY(!view_->selection()); // a pan drops the selection
    QCOMPARE(control()->cursor().shape(), Qt::ClosedHandCursor);
    drag(control(), {90, 80}, Qt::RightButton);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toPoint(), QPoint(10, 20));
    release(control(), {90, 80}, Qt::RightButton);
    QCOMPARE(control()->cursor().shape(), Qt::PointingHandCursor);
}

void PictureViewTest::zoomedCoordinates()
{
    QCOMPARE(control()->size(), QSize(250, 250));
    view_->setZoom(2);
    QCOMPARE(view_->zoom(), 2);
    QCOMPARE(view_->sizeHint(), QSize(502, 502));
    view_->resize(view_->sizeHint());
    QCOMPARE(control()->size(), QSize(500, 500));
    // The API stays in view-control pixels; the rectangle shows twice as large.
    press(control(), {100, 100});
    drag(control(), {161, 121});
    QCOMPARE(view_->selection(), std::optional<QRect>(QRect(50, 50, 30, 10)));
    QCOMPARE(view_->selectionRect()->geometry(), QRect(control()->pos() + QPoint(100, 100), QSize(60, 20)));
    release(control(), {161, 121});

    // Automatic zoom: the largest that fits the widget.
    view_->setAutoZoom(true);
    view_->resize(760, 620);
    QCOMPARE(view_->zoom(), 2);
    view_->resize(400, 900);
    QCOMPARE(view_->zoom(), 1);
    // The view control stays in the middle.
    QCOMPARE(control()->geometry().center(), view_->contentsRect().center());
}

QTEST_MAIN(PictureViewTest)
#include "test_pictureview.moc"
