#include "editing/spinedit.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdlib>

namespace klt {

namespace {
std::optional<int> number(const QString& s)
{
    bool ok = false;
    const int v = s.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}
} // namespace

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent)
    : QSpinBox(parent), ownMin_(minimum), ownMax_(maximum)
{
    setRange(minimum, maximum);
    setValue(value);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    lastText_ = lineEdit()->text();
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::checkText);
    connect(this, &QSpinBox::valueChanged, this, &SpinEdit::checkText);
}

bool SpinEdit::textEmpty() const
{
    return lineEdit()->text().trimmed().isEmpty();
}

int SpinEdit::enteredValue() const
{
    return number(lineEdit()->text()).value_or(minimum());
}

void SpinEdit::showValue(int v)
{
    v = std::clamp(v, minimum(), maximum());
    const QString text = QString::number(v);
    if (value() != v) setValue(v);
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    checkText();
}

void SpinEdit::followValue(int v)
{
    if (lineEdit()->text() == QString::number(v)) return; // shows it already
    const QSignalBlocker quiet(this);
    const QSignalBlocker quietText(lineEdit());
    setRange(std::min(ownMin_, v), std::max(ownMax_, v));
    setValue(v);
    lineEdit()->setText(QString::number(v));
    lastText_ = lineEdit()->text();
}

void SpinEdit::restoreRange()
{
    const QSignalBlocker quiet(this);
    const QSignalBlocker quietText(lineEdit());
    const int v = std::clamp(value(), ownMin_, ownMax_);
    const bool same = v == value();
    setRange(ownMin_, ownMax_);
    // A value outside the own range stays in the text until the next
    // showValue decides what to show; the field keeps it meanwhile.
    if (!same) lineEdit()->setText(lastText_);
}

void SpinEdit::checkText()
{
    const QString t = lineEdit()->text();
    if (t == lastText_) return;
    lastText_ = t;
    emit changed();
}

QValidator::State SpinEdit::validate(QString& input, int&) const
{
    // Any number may stand in the text while it is typed: "1" on the way to
    // "12", and "300" until the focus leaves. It takes effect at once, so it
    // has no more digits than the range's limits: a field of thousands of
    // millions of columns could not be held.
    const QString t = input.trimmed();
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String("+")) return QValidator::Intermediate;
    const qsizetype digits = std::max(QString::number(std::abs(minimum())).size(), QString::number(std::abs(maximum())).size());
    const bool signed_ = t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+');
    if (t.size() - (signed_ ? 1 : 0) > digits) return QValidator::Invalid;
    bool ok = false;
    const long long v = t.toLongLong(&ok);
    if (!ok) return QValidator::Invalid;
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpinEdit::focusOutEvent(QFocusEvent* e)
{
    // An emptied control goes back to its last value, which the field still has.
    if (!textEmpty()) showValue(enteredValue());
    QSpinBox::focusOutEvent(e);
    checkText();
}

} // namespace klt
