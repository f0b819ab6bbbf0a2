#include "import/importform.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
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
#include "import/pictureview.h"
#include "import/rasterpicture.h"
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

// A panel of the status bar: at least as wide as a usual text of its own
// needs in its current type, and as the panel of the default type.
class StatusPanel : public QLabel {
public:
    StatusPanel(QWidget* parent, QString sample, int width) : QLabel(parent), sample_(std::move(sample)), width_(width)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setIndent(2);
    }
    QSize minimumSizeHint() const override
    {
        const int pad = 2 * (frameWidth() + indent() + margin()) + 2;
        return {std::max(width_, fontMetrics().horizontalAdvance(sample_) + pad),
                std::max(20, fontMetrics().height() + 2 * frameWidth() + 2)};
    }
    QSize sizeHint() const override { return minimumSizeHint(); }

private:
    QString sample_;
    int width_;
};

// Panel 1 of the status bar: a swatch of the colour whose decimal value is its text.
class SwatchPanel : public StatusPanel {
public:
    using StatusPanel::StatusPanel;

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

// A button at least of the size the default type gets; a larger type makes
// it as large as its caption needs.
class Button : public QPushButton {
public:
    Button(const QString& caption, QWidget* parent, QSize smallest) : QPushButton(caption, parent), smallest_(smallest) {}
    QSize sizeHint() const override { return QPushButton::sizeHint().expandedTo(smallest_); }
    QSize minimumSizeHint() const override { return QPushButton::minimumSizeHint().expandedTo(smallest_); }

private:
    QSize smallest_;
};

// The buttons' sizes at the default type.
constexpr QSize kListButton(86, 25), kButton(96, 25);

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = {},
                        QSize smallest = kButton)
{
    auto* b = new Button(caption, parent, smallest);
    b->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
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
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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
    // The controls are made in their tab order; the layouts below place them.
    // The view: the picture and the running selection over it.
    view_ = new TPictureView(this);
    view_->setObjectName(QStringLiteral("Image1"));
    view_->setAutoZoom(true);

    // Status bar: position, colour swatch, size and depth; the gauge takes
    // its place while a conversion runs.
    sBar_ = new QWidget(this);
    sBar_->setObjectName(QStringLiteral("sBar"));
    // A status bar's smaller type, so that "250 x 250 (Черно-белый)" fits its panel.
    QFont small = sBar_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    sBar_->setFont(small);
    auto* panels = new QHBoxLayout(sBar_);
    panels->setContentsMargins(0, 0, 0, 0);
    panels->setSpacing(1);
    // The last panel takes what the first two leave.
    panels_[0] = new StatusPanel(sBar_, QStringLiteral("250 : 250"), 55);
    panels_[1] = new SwatchPanel(sBar_, QString::fromLatin1(kOutsideColour), 58);
    panels_[2] = new StatusPanel(sBar_, QStringLiteral("250 x 250 (Черно-белый)"), 136);
    for (int i = 0; i < 3; ++i) {
        panels_[i]->setSizePolicy(i == 2 ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
        panels->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    panels_[0]->setText(QStringLiteral("0 : 0"));
    gg_ = new TGradGaug(this);
    gg_->setObjectName(QStringLiteral("gg"));
    gg_->setFontColor(Qt::white);
    QFont bold = gg_->font();
    bold.setBold(true);
    gg_->setFont(bold);
    gg_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    gg_->hide();

    // Colour list with its two buttons.
    colourGroup_ = new QGroupBox(QStringLiteral("Цвета для замены на черный "), this);
    lbc1_ = new QListWidget(colourGroup_);
    lbc1_->setObjectName(QStringLiteral("lbc1"));
    lbc1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbc1_->setItemDelegate(new SwatchDelegate(lbc1_));
    lbc1_->setUniformItemSizes(true);
    // Five swatches high; the list takes the width the buttons leave.
    lbc1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    lbc1_->setMinimumSize(60, 84);
    bAdd_ = makeButton(colourGroup_, "bAdd", QStringLiteral("Добавить"), QStringLiteral("Добавить цвет в список"),
                       kListButton);
    bDel_ = makeButton(colourGroup_, "bDel", QStringLiteral("Удалить"), QStringLiteral("Удалить цвет из списка"),
                       kListButton);

    // Three rows of two buttons.
    bBrowse_ = makeButton(this, "bBrowse", QStringLiteral("В&ыбор"), QStringLiteral("Загрузка рисунка из файла"));
    bCopy_ = makeButton(this, "bCopy", QStringLiteral("&Копировать"), QStringLiteral("Копировать  рисунок в буфер обмена"));
    bCenter_ = makeButton(this, "bCenter", QStringLiteral("&Центр"), QStringLiteral("Рисунок по центру"));
    bPaste_ = makeButton(this, "bPaste", QStringLiteral("&Вставить"), QStringLiteral("Вставить рисунок из буфера обмена"));
    bReset_ = makeButton(this, "bReset", QStringLiteral("Восс&тановить"),
                         QStringLiteral("Восстановить цвет исходного рисунка"));
    bPreview_ = makeButton(this, "bPreview", QStringLiteral("Просмотр"),
                           QStringLiteral("Просмотреть рисунок после преобразования (Сtrl-не белые)"));
    // In the preview button's place while a conversion runs.
    bStop_ = makeButton(this, "bStop", QStringLiteral("&Стоп"));
    bStop_->hide();

    // Scale and colour depth.
    auto* scaleLabel = new QLabel(QStringLiteral("Размер рисунка"), this);
    rxProc_ = new QSpinBox(this);
    rxProc_->setObjectName(QStringLiteral("rxProc"));
    rxProc_->setRange(kMinScale, kMaxScale);
    rxProc_->setValue(100);
    rxProc_->setToolTip(QStringLiteral("Масштабирование "));
    rxProc_->setStatusTip(QStringLiteral("Изменение размера рисунка"));
    if (auto* edit = rxProc_->findChild<QLineEdit*>()) {
        edit->setMaxLength(3);
        edit->setAcceptDrops(false);
    }
    auto* percent = new QLabel(QStringLiteral("%"), this);
    tbColor_ = new QSlider(Qt::Horizontal, this);
    tbColor_->setObjectName(QStringLiteral("tbColor"));
    tbColor_->setRange(0, 7);
    tbColor_->setTickPosition(QSlider::TicksAbove);
    tbColor_->setTickInterval(1);
    tbColor_->setPageStep(1);
    tbColor_->setToolTip(QStringLiteral("Количество цветов рисунка\r"));

    // Along the bottom.
    bOK_ = makeButton(this, "bOK", QStringLiteral("Принять"), {}, {96, 27});
    bOK_->setDefault(true);
    bNoWhite_ = makeButton(this, "bNoWhite", QStringLiteral("Принять не белые"), {}, {132, 27});
    bCancel_ = makeButton(this, "bCancel", QStringLiteral("Отменить"), {}, {82, 27});

    // The layout: the view with its status bar on the left, the colour list,
    // the buttons, the scale and the depth on the right, the accepting
    // buttons along the bottom on the right. The view takes any extra room.
    auto* colourLayout = new QHBoxLayout(colourGroup_);
    colourLayout->setContentsMargins(8, 4, 6, 8);
    colourLayout->setSpacing(6);
    colourLayout->addWidget(lbc1_, 1);
    auto* listButtons = new QVBoxLayout;
    listButtons->setSpacing(5);
    listButtons->addWidget(bAdd_);
    listButtons->addWidget(bDel_);
    listButtons->addStretch(1);
    colourLayout->addLayout(listButtons);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    const std::pair<QPushButton*, QPushButton*> rows[] = {{bBrowse_, bCopy_}, {bCenter_, bPaste_}, {bReset_, bPreview_}};
    for (int row = 0; row < 3; ++row) {
        buttons->addWidget(rows[row].first, row, 0);
        buttons->addWidget(rows[row].second, row, 1);
    }
    buttons->addWidget(bStop_, 2, 1);
    // Swapping the preview for the stop button, or the status bar for the
    // gauge, changes no size.
    for (QWidget* w : {static_cast<QWidget*>(bPreview_), static_cast<QWidget*>(bStop_), sBar_}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    buttons->setColumnStretch(0, 1);
    buttons->setColumnStretch(1, 1);

    auto* scaleRow = new QHBoxLayout;
    scaleRow->setSpacing(2);
    scaleRow->addWidget(scaleLabel, 1);
    scaleRow->addWidget(rxProc_);
    scaleRow->addWidget(percent);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(colourGroup_);
    right->addLayout(buttons);
    right->addSpacing(4);
    right->addLayout(scaleRow);
    right->addWidget(tbColor_);
    right->addStretch(1);

    auto* status = new QGridLayout;
    status->setContentsMargins(0, 0, 0, 0);
    status->addWidget(sBar_, 0, 0);
    status->addWidget(gg_, 0, 0);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 8, 0, 0);
    bottom->setSpacing(6);
    bottom->addStretch(1);
    bottom->addWidget(bOK_);
    bottom->addWidget(bNoWhite_);
    bottom->addWidget(bCancel_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(view_, 0, 0);
    grid->addLayout(status, 1, 0);
    grid->addLayout(right, 0, 1, 2, 1);
    grid->addLayout(bottom, 2, 0, 1, 2);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);

    connect(view_, &TPictureView::selectionChanged, this, &TImportForm::showSizeStatus);
    connect(view_, &TPictureView::hovered, this, &TImportForm::showPixelStatus);
    connect(view_, &TPictureView::pixelClicked, this, [this](QPoint pixel) { addColour(view_->image().pixel(pixel)); });
    connect(view_, &TPictureView::panStarted, this, [this] {
        dragOrigin_ = model_.viewOffset();
        showSizeStatus();
    });
    connect(view_, &TPictureView::panMoved, this,
            [this](QPoint delta) { guardedCommand([&] { panTo(dragOrigin_ + delta); }); });

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
        // First shown at the size its layout asks for.
        if (!testAttribute(Qt::WA_Resized)) adjustSize();
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
    view_->setSelection(std::nullopt);
    model_.setViewOffset(QPoint());
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
    view_->resetCursor();
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
    view_->setImage(model_.view());
    // A right drag pans a picture larger than the view.
    view_->setPannable(model_.hasPicture() && (!model_.fitsWidth() || !model_.fitsHeight()));
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
    panTo(model_.viewOffset());
}

void TImportForm::panTo(QPoint offset)
{
    model_.setScale(rxProc_->value());
    model_.panTo(offset);
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

void TImportForm::showPixelStatus(QPoint pixel, bool onPicture)
{
    if (onPicture) {
        const QPoint at = pixel + model_.viewOffset();
        panels_[0]->setText(QStringLiteral("%1 : %2").arg(at.x()).arg(at.y()));
        panels_[1]->setText(QString::number(colorRefOf(view_->image().pixel(pixel))));
    } else {
        panels_[0]->setText(QStringLiteral("0 : 0"));
        panels_[1]->setText(QString::fromLatin1(kOutsideColour));
    }
    panels_[1]->update();
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
    for (QWidget* w : {bBrowse_, bAdd_, bCancel_}) w->setEnabled(free);
    view_->setViewEnabled(free);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const bool pastable = mime && (mime->hasImage() || mime->hasFormat(QStringLiteral("image/x-emf")) ||
                                   mime->hasFormat(QStringLiteral("image/x-wmf")));
    bPaste_->setEnabled(free && pastable);
    bCopy_->setEnabled(!model_.view().isNull() && free);
    bStop_->setVisible(busy_);
    bPreview_->setVisible(!busy_);
}

// ---- selection rectangle ----

std::optional<QRect> TImportForm::selection() const
{
    return view_->selection();
}

TRunningRect* TImportForm::selectionRect() const
{
    return view_->selectionRect();
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
    panTo(model_.centreOrigin());
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
            view_->setImage(view);
            gg_->stepBy(1);
        };
        const bool done = previewConversion(view, region, rule, progress);
        model_.view() = view;
        view_->setImage(view);
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
