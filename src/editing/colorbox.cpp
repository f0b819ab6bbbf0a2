#include "editing/colorbox.h"

#include <QPainter>

namespace klt {

namespace {
// The sixteen colours of the classic palette.
const QRgb kColors[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                        0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
const QSize kSwatch(36, 12);
} // namespace

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent)
{
    setIconSize(kSwatch);
    for (QRgb c : kColors) addColor(QColor(c));
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit colorChanged(color()); });
}

void ColorBox::addColor(const QColor& c)
{
    QPixmap pm(kSwatch);
    pm.fill(c);
    {
        QPainter p(&pm);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    }
    addItem(QIcon(pm), QString(), c);
}

QColor ColorBox::color() const
{
    return currentData().value<QColor>();
}

void ColorBox::setColor(const QColor& c)
{
    int i = findData(c);
    if (i < 0) {
        addColor(c);
        i = count() - 1;
    }
    setCurrentIndex(i);
}

} // namespace klt
