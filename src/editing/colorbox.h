#pragma once
// A drop-down list of colour swatches without names.
#include <QComboBox>

namespace klt {

class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent = nullptr);

    QColor color() const;
    // A colour missing from the list is added to it.
    void setColor(const QColor& c);

signals:
    void colorChanged(const QColor& c);

private:
    void addColor(const QColor& c);
};

} // namespace klt
