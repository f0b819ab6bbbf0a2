// Times the grid at 250 x 250 cells: a full repaint of a large window's grid,
// a 100-cell draw stroke (one mouse move per cell, each painted before the
// next), and the same moves in select mode, where every move repaints the
// whole visible grid. Prints a table in milliseconds.
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <cstdio>

#include "core/workspace.h"
#include "editing/grideditor.h"
#include "editing/gridview.h"

using namespace klt;

namespace {

void fillField(Workspace& ws, bool clues)
{
    ws.doc.field().setSize(250, 250);
    for (int c = 0; c < 250; ++c) {
        for (int r = 0; r < 250; ++r) {
            const bool filled = ((c * 7 + r * 13) % 10) < 4;
            std::string t = filled ? "-" : "";
            if (clues) {
                t += std::to_string((c + r) % 10);
                ws.doc.field().setMark(c, r, static_cast<std::uint8_t>((c * r) % 3));
            }
            ws.doc.field().setText(c, r, t);
        }
    }
}

void send(QWidget* vp, QEvent::Type type, QPoint pos, Qt::MouseButton b, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), b, held, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
}

// Milliseconds per mouse move over 100 cells, each move painted.
double stroke(GridView& grid, GridEditor& editor, EditMode mode)
{
    editor.setMode(mode);
    QWidget* vp = grid.viewport();
    auto at = [&](int i) { return grid.cellRect(2 + i % 50, 2 + i / 50 * 3).center(); };
    send(vp, QEvent::MouseButtonPress, at(0), Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    for (int i = 1; i <= 100; ++i) {
        send(vp, QEvent::MouseMove, at(i), Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    }
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6 / 100.0;
    send(vp, QEvent::MouseButtonRelease, at(100), Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
    return ms;
}

// Milliseconds for a repaint of the whole visible grid: cold redraws every
// cell (as after a change of the whole field), warm only the selection frame
// over the cells already drawn (as while a button is held in select mode).
double fullRepaint(GridView& grid, bool cold)
{
    grid.viewport()->repaint(); // warm the glyph cache
    QElapsedTimer t;
    t.start();
    const int n = 20;
    for (int i = 0; i < n; ++i) {
        if (cold) grid.fieldChanged();
        grid.viewport()->repaint();
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e6 / n;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CommandContext idle; // nothing computes: the editor owns the field

    std::printf("250 x 250 cells, grid %d x %d pixels on screen; milliseconds (moves: per mouse move)\n\n", 1250,
                700);
    std::printf("%-8s %-22s %12s %12s %13s %15s %8s\n", "cell px", "contents", "cold repaint", "warm repaint",
                "draw move", "select move", "cells");
    for (int cs : {5, 24}) {
        for (bool clues : {false, true}) {
            Workspace ws;
            fillField(ws, clues);
            GridView grid(ws);
            GridEditor editor(ws, idle, grid);
            grid.setCellSize(cs);
            grid.resize(1250, 700);
            grid.show();
            QApplication::processEvents();
            const double cold = fullRepaint(grid, true);
            const double warm = fullRepaint(grid, false);
            const double draw = stroke(grid, editor, EditMode::Draw);
            const double select = stroke(grid, editor, EditMode::Select);
            const int visible = std::min(250, grid.viewport()->width() / (cs + 1) + 1) *
                                std::min(250, grid.viewport()->height() / (cs + 1) + 1);
            std::printf("%-8d %-22s %12.2f %12.2f %13.3f %15.2f %8d\n", cs,
                        clues ? "fill, clues and marks" : "fill only", cold, warm, draw, select, visible);
        }
    }
    return 0;
}
