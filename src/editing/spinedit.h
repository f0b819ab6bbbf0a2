#pragma once
// An integer spin edit whose every change of text takes effect at once, also
// while the typed number is still outside the range; the range is enforced
// when the control loses the focus.
#include <QSpinBox>

namespace klt {

class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent = nullptr);

    bool textEmpty() const;
    // The number shown, unclamped; a text that is not a number counts as the minimum.
    int enteredValue() const;
    // Shows v clamped into the range; changed() follows only if the text changes.
    void showValue(int v);
    // Shows v without changed(): the control follows a value set elsewhere.
    // The range widens to take it if it lies outside.
    void followValue(int v);
    // The range back to the control's own, without changed().
    void restoreRange();

signals:
    // The shown text changed, by typing, by the arrows or by the program.
    void changed();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The spin box rewrites its text quietly when its value is set; every way
    // the text can change ends here, and only a real change is signalled.
    void checkText();
    QString lastText_;
    int ownMin_, ownMax_;
};

} // namespace klt
