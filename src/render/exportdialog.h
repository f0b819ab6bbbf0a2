#pragma once
// The export dialog (TCopyForm): the task or the answers, as a metafile, a
// bitmap, SVG, PDF or PNG, to a file or the clipboard; or the task as a web
// page to solve in the browser, to a file only. Created once and kept; its choices
// live in the program's INI file, section TCopyForm, restored each time it
// is shown and written each time it closes. The digits' height is a choice
// of each type: SVG, PDF and PNG start at kDefaultDigitPercent, WMF and BMP
// with the grid's font as it is.
#include <QDialog>
#include <functional>

#include "render/pictureexport.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace klt {

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // source gives the field, cell size and style of the picture to export.
    explicit ExportDialog(std::function<PictureJob()> source, QWidget* parent = nullptr);

    // The puzzle's name, the title of an exported web page.
    void setPuzzleTitle(const QString& title) { puzzleTitle_ = title; }

    // Item indices as the radio groups number them.
    enum What { Task = 0, Answers = 1 };
    // WMF and BMP come first; their stored indices keep
    // their meaning.
    enum Type { WmfPicture = 0, BmpPicture = 1, SvgPicture = 2, PdfPicture = 3, PngPicture = 4, HtmlPage = 5 };
    enum Target { ToFile = 0, ToClipboard = 1 };

    int what() const;
    int type() const;
    int target() const;
    void setWhat(int index);
    void setType(int index);
    void setTarget(int index);

    QLineEdit* fileNameEdit() const { return feFileName_; }
    QToolButton* browseButton() const { return browse_; }
    QCheckBox* correctionBox() const { return cbCD_; }
    QCheckBox* numbersBox() const { return cbDig_; }
    // The clue digits' height in percent of the cell; 0 is the grid's font.
    QSpinBox* digitSizeBox() const { return seDigits_; }
    QPushButton* okButton() const { return bOK_; }
    QPushButton* cancelButton() const { return button2_; }

    // Tests answer the browse dialog here: the chosen name, or empty for Cancel.
    using Browser = std::function<QString(const QString& current, QWidget* parent)>;
    void setBrowser(Browser browser) { browser_ = std::move(browser); }

    // OnCheckItem / UpdateExportControls.
    void updateExportControls();
    // Performs the export; true when done. A failure has been shown to the user.
    bool exportPicture();

    void restoreStored();
    void writeStored() const;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QButtonGroup* radioGroup(QGroupBox* box, const QStringList& items);
    void bOKClick();
    void browse();
    // The digit height shown belongs to the type chosen: on a change of type
    // the old type's is kept and the new one's shown.
    void followTypeWithDigits();

    std::function<PictureJob()> source_;
    QButtonGroup* rgWhat_ = nullptr;
    QButtonGroup* rgType_ = nullptr;
    QButtonGroup* rgFile_ = nullptr;
    QLineEdit* feFileName_ = nullptr;
    QToolButton* browse_ = nullptr;
    QCheckBox* cbCD_ = nullptr;
    QCheckBox* cbDig_ = nullptr;
    QSpinBox* seDigits_ = nullptr;
    int digitPercent_[6] = {};
    int digitsType_ = 0; // the type whose digit height seDigits_ shows
    QPushButton* bOK_ = nullptr;
    QPushButton* button2_ = nullptr;
    Browser browser_;
    QString puzzleTitle_;
};

} // namespace klt
