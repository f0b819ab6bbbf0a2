#include "render/webpage.h"

#include <QFile>
#include <QFontInfo>

#include "core/error.h"
#include "core/webpuzzle.h"

// Resources of a static library are registered by name, outside any namespace.
static void initWebPageResources()
{
    Q_INIT_RESOURCE(webpage);
}

namespace klt {

namespace {

QByteArray resource(const char* name)
{
    QFile f(QStringLiteral(":/webpage/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) throw CommandError{std::string("Нет шаблона страницы: ") + name};
    return f.readAll();
}

QByteArray htmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

// The template with each marker replaced once, in order; what is put in is
// never searched for markers again.
QByteArray filled(const QByteArray& page, const std::initializer_list<std::pair<const char*, QByteArray>>& parts)
{
    QByteArray out;
    qsizetype from = 0;
    for (const auto& [marker, content] : parts) {
        const qsizetype at = page.indexOf(marker, from);
        if (at < 0) throw CommandError{std::string("Шаблон страницы повреждён: нет ") + marker};
        out += page.mid(from, at - from);
        out += content;
        from = at + qsizetype(qstrlen(marker));
    }
    return out + page.mid(from);
}

} // namespace

QByteArray puzzlePageHtml(const Field& field, const QString& title, const PictureStyle& style, int digitPercent)
{
    initWebPageResources();
    const WebPuzzle puzzle = webPuzzleOf(field, title.toStdString());
    // The family this machine draws the grid's digits with; the page falls
    // back on common sans-serif faces where the reader lacks it.
    const QString family = QFontInfo(style.numberFont).family();
    const std::string json =
        webPuzzleJson(puzzle, digitPercent > 0 ? digitPercent : kDefaultDigitPercent, family.toStdString());
    return filled(resource("page.html"), {{"@TITLE@", htmlEscaped(title.isEmpty() ? QStringLiteral("Клетомер") : title)},
                                          {"@STYLE@", resource("page.css")},
                                          {"@PUZZLE@", QByteArray::fromStdString(json)},
                                          {"@SCRIPT@", resource("page.js")}});
}

} // namespace klt
