#pragma once
// "Конкурс": the key phrase of the document and the settings of its
// placement. Confirming it places the phrase letters and the decoys.
#include <QDialog>

#include "core/context.h"
#include "core/workspace.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace klt {

class PhraseEdit;

class PrizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrizeDialog(QWidget* parent = nullptr);

    // Shows the document's phrase modally; true when the letters were placed
    // (the caller then marks the document modified). Cancel leaves the
    // document's phrase as it was.
    bool run(Workspace& ws, CommandContext& ctx);

    // The private settings file the prize and export dialogs share:
    // "<program name>.INI" in the user's configuration folder.
    static QString settingsFile();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void bOKClick();
    void updateOkButton();
    void loadSettings();
    void saveSettings() const;

    Workspace* ws_ = nullptr;
    CommandContext* ctx_ = nullptr;
    PhraseEdit* eFrase_;
    QSpinBox* rxsBadLetters_;
    QSpinBox* rxMin_;
    QSpinBox* rxMax_;
    QComboBox* cbLang_;
    QCheckBox* cbMix_;
    QPushButton* bOK_;
    QPushButton* button2_;
};

} // namespace klt
