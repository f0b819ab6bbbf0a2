#include "widgets/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace klt {

void preferRussianLocale()
{
    if (!qEnvironmentVariableIsEmpty("LC_ALL")) return;
    if (qgetenv("LANG").startsWith("ru")) return;
    qputenv("LANG", "ru_RU.UTF-8");
}

bool installRussianTranslations()
{
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Dates, numbers and the first day of the week in the dialogs follow suit.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return true;
}

} // namespace klt
