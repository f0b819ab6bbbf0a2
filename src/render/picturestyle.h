#pragma once
// What the puzzle picture looks like apart from the field: the settings of
// the preview panel and the grid's font. The picture keeps its own fill
// colour, frame and letter font, independent of the on-screen grid.
#include <QColor>
#include <QFont>

namespace klt {

// The font both the grid and the letter sample start with.
QFont defaultPictureFont();

struct PictureStyle {
    QColor fill{Qt::black};         // clBlackColor: filled cells of the answers
    int frameWidth = 0;             // rxsFrameWidth: 0 draws a 1-pixel line
    QFont numberFont = defaultPictureFont(); // the grid's font, for clues
    QColor numberColor{Qt::black};
    QFont letterFont = defaultPictureFont(); // lKeyWordFont, for prize letters
    QColor letterColor{Qt::black};
};

// What one drawing shows.
struct PictureOptions {
    bool answers = false;    // colour the filled cells
    bool correction = false; // cells exactly s wide, for drawing programs that close rectangles themselves
    bool numbers = true;     // draw the cell texts
    // The height of the clue digits as a share of the cell, in percent; 0
    // keeps the grid's font as it is. Digits stay centred in their cell.
    int digitPercent = 0;
};

// The default share for the print sheet and the formats that scale well
// (SVG, PDF, PNG): digits that read at a glance at print sizes.
constexpr int kDefaultDigitPercent = 60;

} // namespace klt
