#include "editing/clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "core/cp1251.h"

namespace klt {

void putClipboardText(const std::string& text1251)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(cp1251ToUtf8(text1251)));
}

std::optional<std::string> clipboardText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return utf8ToCp1251(data->text().toStdString());
}

} // namespace klt
