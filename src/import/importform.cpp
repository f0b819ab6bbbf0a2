#include "import/importform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QUrl>

#include "core/abort.h"
#include "core/edits.h"
#include "import/colourdepth.h"
#include "import/conversion.h"
#include "import/emfpicture.h"
#include "import/importpictures.h"
#include "import/picturefiledialog.h"
#include "import/picturelimits.h"
#include "import/rasterpicture.h"
#include "import/runningrect.h"
#include "import/wmfpicture.h"
#include "widgets/eventpump.h"
#include "widgets/gradgauge.h"
#include "widgets/messagebox.h"
#include "widgets/progressstatusbar.h"

namespace klt {

namespace {

const char* const kGroup = "TImportForm";
const char* const kTooLarge = "Размер рисунка не может быть больше, чем 250 х 250 точек.\r\nРисунок будет обрезан.";
const char* const kBadExtension = "Файл с таким расширением не \r\nможет быть импортирован в программу";
// The colour panel 1 shows outside the picture: the light grey of the background.
const char* const kOutsideColour = "12632256";

// The view control: shows the view bitmap centred and hands its mouse
// events to the dialog.
class PictureView : public QWidget {
public:
    explicit PictureView(const ImportModel& model, QWidget* parent) : QWidget(parent), model_(model)
    {
        setMouseTracking(true);
    }
    std::function<void(QMouseEvent*)> onPress, onMove, onRelease;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QImage& view = model_.view();
        if (view.isNull()) return;
        QPainter p(this);
        p.drawImage(viewControlOrigin(view.size()), view);
    }
    void mousePressEvent(QMouseEvent* e) override { if (onPress) onPress(e); }
    void mouseMoveEvent(QMouseEvent* e) override { if (onMove) onMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { if (onRelease) onRelease(e); }

private:
    const ImportModel& model_;
};

// Panel 1 of the status bar: a swatch of the colour whose decimal value is its text.
class SwatchPanel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QLabel::paintEvent(e);
        bool ok = false;
        const quint32 value = text().toUInt(&ok);
        if (!ok) return;
        QPainter p(this);
        p.fillRect(contentsRect(), QColor(rgbOfColorRef(value & 0xFFFFFF)));
    }
};

// Items of the colour list are drawn as swatches of their colour only.
class SwatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect.adjusted(-2, -2, 2, 2);
        p->save();
        p->setClipRect(option.rect);
        if (auto c = itemColour(index.data().toString())) p->fillRect(r, QColor(*c));
        // The swatch covers the item; a dotted frame marks the current and selected items.
        if (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) {
            p->setCompositionMode(QPainter::RasterOp_NotDestination);
            QPen pen(Qt::black, 1, Qt::DotLine);
            p->setPen(pen);
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 16);
    }
};

QPixmap backgroundTexture()
{
    QPixmap tile(4, 4);
    tile.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&tile);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawPoint(0, 0);
    p.drawPoint(2, 2);
    return tile;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint, QRect geometry)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

} // namespace

bool isCtrlDown()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}

TImportForm::TImportForm(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("ImportForm"));
    setWindowTitle(QStringLiteral("Импорт из рисунка"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // 434 × 327 widened for the wider fonts of the Linux desktop, so that no
    // caption is cut.
    setFixedSize(468, 327);
    setAcceptDrops(true);
    setModal(true);
    createControls();
    restoreSettings();
    // Every key press and release reaches the dialog first.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updateControls(); });
    updateControls();
}

TImportForm::~TImportForm()
{
    saveSettings();
}

void TImportForm::createControls()
{
    // The view: a 252 × 252 frame holding the background, the view control
    // and the selection rectangle, all 250 × 250 at the same place.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(6, 6, 252, 252);
    viewArea_ = new QWidget(frame);
    viewArea_->setGeometry(1, 1, kViewSide, kViewSide);
    image1_ = new QWidget(viewArea_);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(0, 0, kViewSide, kViewSide);
    image1_->setAutoFillBackground(true);
    QPalette pal = image1_->palette();
    pal.setBrush(QPalette::Window, QBrush(backgroundTexture()));
    image1_->setPalette(pal);
    auto* view = new PictureView(model_, viewArea_);
    im_ = view;
    im_->setObjectName(QStringLiteral("Im"));
    im_->setGeometry(0, 0, kViewSide, kViewSide);
    view->onPress = [this](QMouseEvent* e) { imMouseDown(e->button(), e->position().toPoint()); };
    view->onMove = [this](QMouseEvent* e) { imMouseMove(e->buttons(), e->position().toPoint()); };
    view->onRelease = [this](QMouseEvent* e) { imMouseUp(e->button(), e->position().toPoint()); };
    sMove_ = new TRunningRect(viewArea_);
    sMove_->setObjectName(QStringLiteral("sMove"));
    sMove_->setVisible(false);
    sMove_->onMouseMove = [this](QMouseEvent* e) { sMoveMouseMove(e->buttons(), e->position().toPoint()); };
    sMove_->onMouseRelease = [this](QMouseEvent* e) { sMoveMouseUp(e->button(), e->position().toPoint()); };

    // Status bar: position, colour swatch, size and depth.
    sBar_ = new QWidget(this);
    sBar_->setObjectName(QStringLiteral("sBar"));
    sBar_->setGeometry(6, 261, 252, 20);
    const int widths[3] = {55, 58, 136};
    // A status bar's smaller type, so that "250 x 250 (Черно-белый)" fits its panel.
    QFont small = sBar_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    sBar_->setFont(small);
    int x = 0;
    for (int i = 0; i < 3; ++i) {
        QLabel* panel = i == 1 ? new SwatchPanel(sBar_) : new QLabel(sBar_);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setGeometry(x, 0, widths[i], 20);
        panel->setIndent(2);
        panels_[i] = panel;
        x += widths[i] + 1;
    }
    panels_[0]->setText(QStringLiteral("0 : 0"));
    gg_ = new TGradGaug(this);
    gg_->setObjectName(QStringLiteral("gg"));
    gg_->setGeometry(sBar_->geometry());
    gg_->setFontColor(Qt::white);
    QFont bold = gg_->font();
    bold.setBold(true);
    gg_->setFont(bold);
    gg_->hide();

    // Colour list with its two buttons.
    colourGroup_ = new QGroupBox(QStringLiteral("Цвета для замены на черный "), this);
    colourGroup_->setGeometry(266, 2, 196, 112);
    lbc1_ = new QListWidget(colourGroup_);
    lbc1_->setObjectName(QStringLiteral("lbc1"));
    lbc1_->setGeometry(8, 20, 90, 84);
    lbc1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbc1_->setItemDelegate(new SwatchDelegate(lbc1_));
    lbc1_->setUniformItemSizes(true);
    bAdd_ = makeButton(colourGroup_, "bAdd", QStringLiteral("Добавить"), QStringLiteral("Добавить цвет в список"),
                       QRect(104, 20, 86, 25));
    bDel_ = makeButton(colourGroup_, "bDel", QStringLiteral("Удалить"), QStringLiteral("Удалить цвет из списка"),
                       QRect(104, 50, 86, 25));

    // Three rows of two buttons.
    const int c1 = 266, c2 = 366, bw = 96, bh = 25;
    bBrowse_ = makeButton(this, "bBrowse", QStringLiteral("В&ыбор"), QStringLiteral("Загрузка рисунка из файла"),
                          QRect(c1, 120, bw, bh));
    bCopy_ = makeButton(this, "bCopy", QStringLiteral("&Копировать"),
                        QStringLiteral("Копировать  рисунок в буфер обмена"), QRect(c2, 120, bw, bh));
    bCenter_ = makeButton(this, "bCenter", QStringLiteral("&Центр"), QStringLiteral("Рисунок по центру"),
                          QRect(c1, 149, bw, bh));
    bPaste_ = makeButton(this, "bPaste", QStringLiteral("&Вставить"),
                         QStringLiteral("Вставить рисунок из буфера обмена"), QRect(c2, 149, bw, bh));
    bReset_ = makeButton(this, "bReset", QStringLiteral("Восс&тановить"),
                         QStringLiteral("Восстановить цвет исходного рисунка"), QRect(c1, 178, bw, bh));
    bPreview_ = makeButton(this, "bPreview", QStringLiteral("Просмотр"),
                           QStringLiteral("Просмотреть рисунок после преобразования (Сtrl-не белые)"),
                           QRect(c2, 178, bw, bh));
    bStop_ = makeButton(this, "bStop", QStringLiteral("&Стоп"), QString(), QRect(c2, 178, bw, bh));
    bStop_->hide();

    // Scale and colour depth.
    auto* scaleLabel = new QLabel(QStringLiteral("Размер рисунка"), this);
    scaleLabel->setGeometry(c1, 212, 110, 22);
    rxProc_ = new QSpinBox(this);
    rxProc_->setObjectName(QStringLiteral("rxProc"));
    rxProc_->setRange(kMinScale, kMaxScale);
    rxProc_->setValue(100);
    rxProc_->setGeometry(c1 + 112, 210, 58, 24);
    rxProc_->setToolTip(QStringLiteral("Масштабирование "));
    rxProc_->setStatusTip(QStringLiteral("Изменение размера рисунка"));
    if (auto* edit = rxProc_->findChild<QLineEdit*>()) {
        edit->setMaxLength(3);
        edit->setAcceptDrops(false);
    }
    auto* percent = new QLabel(QStringLiteral("%"), this);
    percent->setGeometry(c1 + 174, 212, 16, 22);
    tbColor_ = new QSlider(Qt::Horizontal, this);
    tbColor_->setObjectName(QStringLiteral("tbColor"));
    tbColor_->setRange(0, 7);
    tbColor_->setTickPosition(QSlider::TicksAbove);
    tbColor_->setTickInterval(1);
    tbColor_->setPageStep(1);
    tbColor_->setToolTip(QStringLiteral("Количество цветов рисунка\r"));
    tbColor_->setGeometry(c1, 240, 196, 30);

    // Along the bottom.
    bOK_ = makeButton(this, "bOK", QStringLiteral("Принять"), QString(), QRect(140, 292, 96, 27));
    bOK_->setDefault(true);
    bNoWhite_ = makeButton(this, "bNoWhite", QStringLiteral("Принять не белые"), QString(), QRect(242, 292, 132, 27));
    bCancel_ = makeButton(this, "bCancel", QStringLiteral("Отменить"), QString(), QRect(380, 292, 82, 27));

    auto command = [this](auto member) { return [this, member] { guardedCommand([this, member] { (this->*member)(); }); }; };
    connect(bBrowse_, &QPushButton::clicked, this, command(&TImportForm::bBrowseClick));
    connect(bCopy_, &QPushButton::clicked, this, command(&TImportForm::bCopyClick));
    connect(bPaste_, &QPushButton::clicked, this, command(&TImportForm::bPasteClick));
    connect(bCenter_, &QPushButton::clicked, this, command(&TImportForm::bCenterClick));
    connect(bReset_, &QPushButton::clicked, this, command(&TImportForm::bResetClick));
    connect(bPreview_, &QPushButton::clicked, this, command(&TImportForm::bPreviewClick));
    connect(bStop_, &QPushButton::clicked, this, command(&TImportForm::bStopClick));
    connect(bAdd_, &QPushButton::clicked, this, command(&TImportForm::bAddClick));
    connect(bDel_, &QPushButton::clicked, this, command(&TImportForm::bDelClick));
    connect(bOK_, &QPushButton::clicked, this, [this] { guardedCommand([this] { bOKClick(false); }); });
    connect(bNoWhite_, &QPushButton::clicked, this, [this] { guardedCommand([this] { bOKClick(true); }); });
    connect(bCancel_, &QPushButton::clicked, this, &TImportForm::reject);
    connect(rxProc_, &QSpinBox::valueChanged, this, [this](int v) {
        if (rendering_) return;
        model_.setScale(v);
        guardedCommand([this] { applyScale(); });
    });
    connect(tbColor_, &QSlider::valueChanged, this, [this] { guardedCommand([this] { colourDepthChanged(); }); });
}

template <class F>
void TImportForm::guardedCommand(F&& f)
{
    try {
        f();
    } catch (...) {
        if (const auto text = currentErrorText()) showErrorBox(QString::fromStdString(*text));
    }
}

bool TImportForm::execute()
{
    if (exec() != QDialog::Accepted) return false;
    cropToFilled(ws_, false);
    return true;
}

// ---- settings ----

void TImportForm::restoreSettings()
{
    QSettings s;
    s.beginGroup(QLatin1String(kGroup));
    bool ok = false;
    const int scale = s.value(QStringLiteral("rxProc.Value")).toInt(&ok);
    if (ok) {
        const QSignalBlocker block(rxProc_);
        rxProc_->setValue(scale);
        model_.setScale(rxProc_->value());
    }
    const int filter = s.value(QStringLiteral("dlgOpenPic.FilterIndex")).toInt(&ok);
    if (ok) filterIndex_ = filter;
    if (s.contains(QStringLiteral("lbc1.Items"))) {
        lbc1_->clear();
        lbc1_->addItems(s.value(QStringLiteral("lbc1.Items")).toStringList());
    }
    lastPictureDir_ = s.value(QStringLiteral("dlgOpenPic.InitialDir")).toString();
}

void TImportForm::saveSettings() const
{
    QSettings s;
    s.beginGroup(QLatin1String(kGroup));
    s.setValue(QStringLiteral("rxProc.Value"), rxProc_->value());
    s.setValue(QStringLiteral("dlgOpenPic.FilterIndex"), filterIndex_);
    s.setValue(QStringLiteral("lbc1.Items"), colourItems());
    s.setValue(QStringLiteral("dlgOpenPic.InitialDir"), lastPictureDir_);
}

// ---- events ----

void TImportForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    onActivated();
}

void TImportForm::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void TImportForm::onActivated()
{
    updateControls();
    // A conversion in progress reads the view; it is not rendered again under it.
    if (busy_) return;
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        depthMax_ = depthPositionForScreen(screen->depth(), depthMax_);
    {
        const QSignalBlocker block(tbColor_);
        tbColor_->setMinimum(0);
        tbColor_->setMaximum(depthMax_);
    }
    guardedCommand([this] { colourDepthChanged(); });
}

void TImportForm::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    saveSettings();
}

void TImportForm::closeEvent(QCloseEvent* e)
{
    if (busy_) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TImportForm::setVisible(bool visible)
{
    // Once placed (or moved by the user), the dialog comes back where it was.
    if (visible && !isVisible() && !testAttribute(Qt::WA_Moved)) {
        if (QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::setVisible(visible);
}

void TImportForm::reject()
{
    // The running conversion still needs the dialog; only Stop ends it.
    if (busy_) return;
    QDialog::reject();
}

bool TImportForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        std::optional<bool> ctrl;
        if (key->key() == Qt::Key_Control) ctrl = event->type() == QEvent::KeyPress;
        updateControls(ctrl);
        if (watched == lbc1_ && (key->key() == Qt::Key_Insert || key->key() == Qt::Key_Delete)) {
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat()) {
                if (key->key() == Qt::Key_Insert)
                    guardedCommand([this] { bAddClick(); });
                else
                    guardedCommand([this] { bDelClick(); });
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TImportForm::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TImportForm::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    e->acceptProposedAction();
    dropFiles(paths);
}

void TImportForm::dropFiles(const QStringList& paths)
{
    // Nothing is taken while this dialog or the main window computes.
    if (busy_ || (ctx_ && !ctx_->stopped()) || (mainStatusBar_ && mainStatusBar_->mode() == StatusMode::Progressbar)) return;
    if (paths.isEmpty()) return;
    const QString path = paths.constFirst();
    const QString suffix = QFileInfo(path).suffix();
    const QString ext = suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix.toUpper();
    if (ext == QLatin1String(".KVT")) {
        if (isVisible()) done(QDialog::Rejected);
        if (openDocument) guardedCommand([&] { openDocument(path); });
        return;
    }
    if (!isPictureExtension(ext)) {
        showErrorBox(QString::fromUtf8(kBadExtension));
        return;
    }
    fileName_ = path;
    bool loaded = false;
    guardedCommand([&] {
        loadPicture(false);
        loaded = true;
    });
    if (loaded && !isVisible()) execute();
}

// ---- loading ----

bool TImportForm::loadPictureFile(const QString& path)
{
    fileName_ = path;
    bool ok = false;
    guardedCommand([&] {
        loadPicture(false);
        ok = true;
    });
    return ok;
}

void TImportForm::loadPicture(bool fromDialog)
{
    sMove_->setVisible(false);
    model_.setViewOffset(QPoint());
    downPoint_ = QPoint();
    if (fromDialog) {
        const PictureFileChoice choice = choosePictureFile(this, lastPictureDir_, filterIndex_);
        if (choice.path.isEmpty()) return;
        fileName_ = choice.path;
        filterIndex_ = choice.filterIndex;
    }
    const QString path = fileName_;
    // Whatever happens, the next file dialog starts where this file lies.
    lastPictureDir_ = QFileInfo(path).absolutePath();
    auto picture = PictureRegistry::instance().load(path);
    if (!picture || picture->isEmpty()) throw PictureError(unreadablePictureText(path, {}));
    // Puzzle pictures and metafiles are checked here as well as the raster decoders check theirs.
    checkPictureSize(path, picture->width(), picture->height(), false);

    model_.setScale(rxProc_->value());
    const bool clipped = model_.takePicture(std::move(picture));
    syncScaleControl();
    {
        const QSignalBlocker block(tbColor_);
        tbColor_->setValue(0);
    }
    refreshView();
    updateCursor();
    if (clipped) warnClipped();
    updateControls();
}

void TImportForm::warnClipped()
{
    showErrorBox(QString::fromUtf8(kTooLarge));
}

void TImportForm::syncScaleControl()
{
    if (rxProc_->value() == model_.scale()) return;
    rendering_ = true;
    rxProc_->setValue(model_.scale());
    rendering_ = false;
}

void TImportForm::refreshView()
{
    im_->update();
    showSizeStatus();
}

void TImportForm::applyScale()
{
    if (rendering_ || !model_.hasPicture()) return;
    rendering_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{rendering_};
    model_.applyScale();
    if (rxProc_->value() != model_.scale()) rxProc_->setValue(model_.scale());
    refreshView();
}

void TImportForm::redraw()
{
    dragOrigin_ = model_.viewOffset();
    panView(QPoint(0, 0));
}

void TImportForm::panView(QPoint mouse)
{
    model_.setScale(rxProc_->value());
    model_.panTo(dragOrigin_ + downPoint_ - mouse);
    syncScaleControl();
    refreshView();
}

void TImportForm::colourDepthChanged()
{
    model_.setDepthPosition(tbColor_->value());
    redraw();
    updateControls();
}

// ---- status ----

void TImportForm::showSizeStatus()
{
    QSize size = model_.view().size();
    if (auto sel = selection()) size = sel->size();
    if (model_.view().isNull() && !selection()) size = QSize(0, 0);
    panels_[2]->setText(QStringLiteral("%1 x %2 (%3)").arg(size.width()).arg(size.height()).arg(depthName(tbColor_->value())));
}

void TImportForm::showPixelStatus(int x, int y)
{
    const QImage& view = model_.view();
    const QPoint b = QPoint(x, y) - viewControlOrigin(view.size());
    if (!view.isNull() && view.rect().contains(b)) {
        const QPoint at = b + model_.viewOffset();
        panels_[0]->setText(QStringLiteral("%1 : %2").arg(at.x()).arg(at.y()));
        panels_[1]->setText(QString::number(colorRefOf(view.pixel(b))));
        setViewCursor(Qt::PointingHandCursor);
    } else {
        panels_[0]->setText(QStringLiteral("0 : 0"));
        panels_[1]->setText(QString::fromLatin1(kOutsideColour));
        setViewCursor(Qt::ArrowCursor);
    }
    panels_[1]->update();
}

void TImportForm::setViewCursor(Qt::CursorShape shape)
{
    viewCursor_ = shape;
    im_->setCursor(shape);
}

void TImportForm::updateCursor()
{
    const Qt::CursorShape shape = model_.view().isNull() ? Qt::ArrowCursor : Qt::PointingHandCursor;
    setViewCursor(shape);
    rectCursor_ = shape;
    sMove_->setCursor(shape);
}

void TImportForm::updateControls(std::optional<bool> ctrl)
{
    const bool loaded = model_.hasPicture();
    const bool listed = lbc1_->count() > 0;
    const bool free = !busy_;
    const bool ctrlDown = ctrl.value_or(isCtrlDown());
    for (QWidget* w : {static_cast<QWidget*>(rxProc_), static_cast<QWidget*>(tbColor_), static_cast<QWidget*>(bReset_),
                       static_cast<QWidget*>(bCenter_)})
        w->setEnabled(loaded && free);
    bDel_->setEnabled(listed && free);
    bPreview_->setEnabled(loaded && (listed || ctrlDown) && free);
    bOK_->setEnabled(listed && loaded && free);
    // Nothing to convert, nothing to accept: the puzzle stays as it is.
    bNoWhite_->setEnabled(loaded && free);
    for (QWidget* w : {static_cast<QWidget*>(bBrowse_), static_cast<QWidget*>(bAdd_), static_cast<QWidget*>(bCancel_), im_})
        w->setEnabled(free);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const bool pastable = mime && (mime->hasImage() || mime->hasFormat(QStringLiteral("image/x-emf")) ||
                                   mime->hasFormat(QStringLiteral("image/x-wmf")));
    bPaste_->setEnabled(free && pastable);
    bCopy_->setEnabled(!model_.view().isNull() && free);
    bStop_->setVisible(busy_);
    bPreview_->setVisible(!busy_);
}

// ---- selection rectangle and panning ----

std::optional<QRect> TImportForm::selection() const
{
    if (sMove_->isHidden()) return std::nullopt;
    return sMove_->geometry();
}

void TImportForm::imMouseDown(Qt::MouseButton button, QPoint at)
{
    downPoint_ = at;
    if (button == Qt::RightButton && model_.hasPicture() && (!model_.fitsWidth() || !model_.fitsHeight())) {
        dragOrigin_ = model_.viewOffset();
        setViewCursor(Qt::ClosedHandCursor);
        sMove_->setVisible(false);
        showSizeStatus();
        return;
    }
    if (button == Qt::LeftButton && !model_.view().isNull()) {
        sMove_->setVisible(false);
        sMove_->setGeometry(at.x(), at.y(), 1, 1);
        return;
    }
    sMove_->setVisible(false);
}

void TImportForm::imMouseMove(Qt::MouseButtons buttons, QPoint at)
{
    if ((buttons & Qt::RightButton) && viewCursor_ == Qt::ClosedHandCursor) {
        guardedCommand([&] { panView(at); });
        return;
    }
    if ((buttons & Qt::LeftButton) && !model_.view().isNull()) {
        setViewCursor(Qt::ArrowCursor);
        sMove_->setVisible(true);
        sMove_->raise();
        resizeSelection(at.x(), at.y());
        return;
    }
    showPixelStatus(at.x(), at.y());
}

void TImportForm::resizeSelection(int x, int y)
{
    x = std::clamp(x, 0, kViewSide);
    y = std::clamp(y, 0, kViewSide);
    int left = sMove_->x(), top = sMove_->y(), width = sMove_->width(), height = sMove_->height();
    if (x <= left + width / 2) {
        width = left + width - x;
        left = x;
    } else {
        width = x - left;
    }
    if (y <= top + height / 2) {
        height = top + height - y;
        top = y;
    } else {
        height = y - top;
    }
    sMove_->setGeometry(left, top, width, height);
    showSizeStatus();
}

void TImportForm::imMouseUp(Qt::MouseButton button, QPoint at)
{
    int x = at.x(), y = at.y();
    if (button == Qt::LeftButton) {
        if (viewCursor_ == Qt::PointingHandCursor) {
            const QImage& view = model_.view();
            const QPoint b = at - viewControlOrigin(view.size());
            if (!view.isNull() && view.rect().contains(b)) {
                addColour(view.pixel(b));
                x = b.x();
                y = b.y();
            }
        } else if (viewCursor_ == Qt::ArrowCursor) {
            updateCursor();
        }
    }
    if (std::abs(downPoint_.x() - x) <= 2 || std::abs(downPoint_.y() - y) <= 2) sMove_->setVisible(false);
    downPoint_ = QPoint();
    updateCursor();
    showSizeStatus();
}

void TImportForm::sMoveMouseMove(Qt::MouseButtons buttons, QPoint at)
{
    if ((buttons & Qt::LeftButton) && !model_.view().isNull() && !movingRect_) {
        movingRect_ = true;
        grabPoint_ = at;
    }
    if (movingRect_) {
        rectCursor_ = Qt::SizeAllCursor;
        sMove_->setCursor(Qt::SizeAllCursor);
        sMove_->move(sMove_->x() + at.x() - grabPoint_.x(), sMove_->y() + at.y() - grabPoint_.y());
        return;
    }
    showPixelStatus(at.x() + sMove_->x(), at.y() + sMove_->y());
}

void TImportForm::sMoveMouseUp(Qt::MouseButton button, QPoint at)
{
    movingRect_ = false;
    if ((rectCursor_ == Qt::PointingHandCursor || rectCursor_ == Qt::ArrowCursor) && button == Qt::LeftButton)
        imMouseUp(Qt::LeftButton, QPoint(at.x() + sMove_->x() - 1, at.y() + sMove_->y() - 1));
    updateCursor();
    im_->update();
}

// ---- buttons ----

void TImportForm::bBrowseClick()
{
    loadPicture(true);
}

void TImportForm::bCenterClick()
{
    model_.setViewOffset(QPoint());
    model_.setScale(rxProc_->value());
    dragOrigin_ = model_.centreOrigin();
    panView(QPoint(0, 0));
}

void TImportForm::bResetClick()
{
    {
        const QSignalBlocker block(tbColor_);
        tbColor_->setValue(0);
    }
    model_.setDepthPosition(0);
    redraw();
}

void TImportForm::bCopyClick()
{
    const QImage& view = model_.view();
    if (view.isNull()) return;
    QImage copy;
    if (auto sel = selection()) {
        const QPoint from = sel->topLeft() - viewControlOrigin(view.size());
        copy = QImage(sel->size(), QImage::Format_RGB32);
        copy.fill(Qt::white);
        QPainter p(&copy);
        p.drawImage(QPoint(0, 0), view, QRect(from, sel->size()));
    } else {
        copy = view;
    }
    QGuiApplication::clipboard()->setImage(copy);
    updateControls();
}

void TImportForm::bPasteClick()
{
    model_.setViewOffset(QPoint());
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return;
    bool clipped = false;
    if (mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (image.isNull()) throw PictureError(unreadablePictureText(QStringLiteral("из буфера обмена"), {}));
        clipped = model_.takeBitmap(image);
    } else if (mime->hasFormat(QStringLiteral("image/x-emf"))) {
        auto emf = std::make_unique<EmfPicture>();
        emf->loadFromData(mime->data(QStringLiteral("image/x-emf")), QStringLiteral("из буфера обмена"));
        model_.takeMetafile(std::move(emf));
    } else if (mime->hasFormat(QStringLiteral("image/x-wmf"))) {
        auto wmf = std::make_unique<WmfPicture>();
        wmf->loadFromData(mime->data(QStringLiteral("image/x-wmf")), QStringLiteral("из буфера обмена"));
        model_.takeMetafile(std::move(wmf));
    } else {
        return;
    }
    syncScaleControl();
    refreshView();
    if (clipped) warnClipped();
    updateControls();
}

void TImportForm::addColour(QRgb colour)
{
    const QString item = colourItem(colour);
    if (lbc1_->findItems(item, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) lbc1_->addItem(item);
    updateControls();
}

QStringList TImportForm::colourItems() const
{
    QStringList items;
    for (int i = 0; i < lbc1_->count(); ++i) items << lbc1_->item(i)->text();
    return items;
}

void TImportForm::bAddClick()
{
    // The colour dialog opens on the colour chosen last (black at first).
    const QColor c = QColorDialog::getColor(dlgColor_, this);
    if (!c.isValid()) return;
    dlgColor_ = c;
    addColour(c.rgb());
}

void TImportForm::bDelClick()
{
    const int row = lbc1_->currentRow();
    if (row >= 0 && row < lbc1_->count()) delete lbc1_->takeItem(row);
    updateControls();
}

bool TImportForm::convertToCells(bool preview, bool notWhite)
{
    busy_ = true;
    stopRequested_ = false;
    gg_->setProgress(0);
    gg_->show();
    sBar_->hide();
    updateControls();
    struct Finish {
        TImportForm* f;
        ~Finish()
        {
            f->busy_ = false;
            f->updateControls();
            f->gg_->hide();
            f->sBar_->show();
        }
    } finish{this};
    runPendingEvents();

    const ConversionRegion region = conversionRegion(model_.view().size(), selection());
    gg_->setMaxValue(region.right - region.left);
    const FillRule rule = notWhite ? FillRule::notWhite() : FillRule::listed(colourItems());
    // The region was fixed above; the conversion works on its own copy of the view.
    QImage view = model_.view();
    ConversionProgress progress;
    progress.stop = &stopRequested_;
    if (preview) {
        progress.columnDone = [&] {
            model_.view() = view;
            im_->update();
            gg_->stepBy(1);
        };
        const bool done = previewConversion(view, region, rule, progress);
        model_.view() = view;
        im_->update();
        return done;
    }
    progress.columnDone = [this] { gg_->stepBy(1); };
    return acceptConversion(ws_, view, region, rule, progress);
}

void TImportForm::bPreviewClick()
{
    if (busy_) return;
    convertToCells(true, isCtrlDown());
}

void TImportForm::bStopClick()
{
    busy_ = false;
    stopRequested_ = true;
}

void TImportForm::bOKClick(bool notWhite)
{
    if (busy_ || !model_.hasPicture()) return;
    if (!notWhite && lbc1_->count() == 0) return;
    if (querySaveChanges && !querySaveChanges()) return;
    redraw();
    convertToCells(false, notWhite);
    if (!stopRequested_) accept();
}

} // namespace klt
