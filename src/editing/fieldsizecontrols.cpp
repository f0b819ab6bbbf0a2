#include "editing/fieldsizecontrols.h"

#include "core/edits.h"
#include "core/fieldedit.h"

namespace klt {

namespace {
SpinEdit* sizeEdit(const char* name, int min, int max, int value, const QString& hint, QWidget* parent)
{
    auto* e = new SpinEdit(min, max, value, parent);
    e->setObjectName(QLatin1String(name));
    e->setToolTip(hint);
    e->setStatusTip(hint);
    return e;
}
} // namespace

FieldSizeControls::FieldSizeControls(Workspace& ws, GridView& grid, QWidget* parent)
    : QObject(parent), ws_(ws), grid_(grid)
{
    width_ = sizeEdit("sgWidth", 5, 250, 5, QStringLiteral("Количество колонок"), parent);
    height_ = sizeEdit("sgHeight", 5, 250, 5, QStringLiteral("Количество строк"), parent);
    cellSize_ = sizeEdit("sgCellSize", 5, 100, 24, QStringLiteral("Размер ячейки"), parent);
    connect(width_, &SpinEdit::changed, this, &FieldSizeControls::applyWidth);
    connect(height_, &SpinEdit::changed, this, &FieldSizeControls::applyHeight);
    connect(cellSize_, &SpinEdit::changed, this, &FieldSizeControls::applyCellSize);
    // After the command that changed the size has ended: the commands that
    // sync the controls themselves do so against what they showed before.
    connect(&grid_, &GridView::fieldSizeChanged, this, &FieldSizeControls::follow, Qt::QueuedConnection);
    // Through the control, so that the size shown and the one stored agree.
    connect(&grid_, &GridView::zoomRequested, this,
            [this](int steps) { cellSize_->showValue(cellSize_->value() + 2 * steps); });
}

void FieldSizeControls::follow()
{
    width_->followValue(ws_.doc.field().colCount());
    height_->followValue(ws_.doc.field().rowCount());
}

void FieldSizeControls::applyWidth()
{
    if (width_->textEmpty()) return;
    FieldEdit edit(ws_);
    ws_.doc.field().setColCount(width_->enteredValue());
    clampCursor(ws_);
    ws_.doc.notifyFieldChanged();
}

void FieldSizeControls::applyHeight()
{
    if (height_->textEmpty()) return;
    FieldEdit edit(ws_);
    ws_.doc.field().setRowCount(height_->enteredValue());
    clampCursor(ws_);
    ws_.doc.notifyFieldChanged();
}

void FieldSizeControls::applyCellSize()
{
    if (cellSize_->textEmpty()) return;
    ws_.doc.setCellSize(cellSize_->enteredValue());
}

void FieldSizeControls::sync()
{
    width_->restoreRange();
    height_->restoreRange();
    width_->showValue(ws_.doc.field().colCount());
    height_->showValue(ws_.doc.field().rowCount());
}

} // namespace klt
