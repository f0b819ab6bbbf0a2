#pragma once
// The preview panel at the right of the main window (pnPreview): the
// picture's own settings (fill colour, frame width, letter font) above the
// answers picture at its natural size. The picture is redrawn on request
// only: by refresh(), by a change of the settings, by a new letter font;
// edits of the field leave it as it was.
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

#include "render/picturestyle.h"

class QAbstractButton;
class QAction;
class QLabel;
class QSettings;
class QToolButton;

namespace klt {

class ColorBox;
class SpinEdit;
class Workspace;

// Image1: the picture from the top-left corner, cut off where it does not fit.
class PictureView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setPicture(const QImage& image);
    const QImage& picture() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage image_;
};

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    // numberFontSource is the grid, whose font the clues take.
    PreviewPanel(const Workspace& ws, const QWidget& numberFontSource, QWidget* parent = nullptr);

    ColorBox* blackColorBox() const { return clBlackColor_; }
    SpinEdit* frameWidthEdit() const { return rxsFrameWidth_; }
    QLabel* keyWordFontLabel() const { return lKeyWordFont_; }
    QToolButton* keyWordFontButton() const { return btnKeyWordFont_; }
    PictureView* view() const { return image1_; }

    // The button shows and runs this action (acKeyWordFont).
    void setKeyWordFontAction(QAction* action);

    PictureStyle style() const;
    const QImage& picture() const { return image1_->picture(); }

    // acRefreshExecute: the answers with numbers, cells sharing their lines.
    void refresh();
    // acKeyWordFontExecute: the font dialog for the letter font, then a redraw.
    void chooseKeyWordFont();
    // Tests answer the font dialog here: the chosen font, or none for Cancel.
    using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* parent)>;
    void setFontChooser(FontChooser chooser) { chooseFont_ = std::move(chooser); }

    // The settings the main window keeps (group TMainForm).
    void restoreSettings(const QSettings& s);
    void saveSettings(QSettings& s) const;

private:
    const Workspace& ws_;
    const QWidget& numberFontSource_;
    ColorBox* clBlackColor_ = nullptr;
    SpinEdit* rxsFrameWidth_ = nullptr;
    QToolButton* btnKeyWordFont_ = nullptr;
    QLabel* lKeyWordFont_ = nullptr;
    PictureView* image1_ = nullptr;
    FontChooser chooseFont_;
};

} // namespace klt
