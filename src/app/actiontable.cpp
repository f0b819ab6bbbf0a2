#include "app/actiontable.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <cstdlib>
#include <cstring>

namespace klt {

const QList<ActionSpec>& actionSpecs()
{
    static const QList<ActionSpec> specs = {
        {"acNew", "Файл", "Новый", "Создать новую головоломку", "Ctrl+N", 0, 0, false, false},
        {"acOpen", "Файл", "Открыть", "Открыть головоломку", "Ctrl+O", 0, 0, false, false},
        {"acSave", "Файл", "Сохранить", "Сохранить головоломку", "Ctrl+S", 0, 0, false, false},
        {"acSaveAs", "Файл", "Сохранить как..", "Записать под новым именем", "Ctrl+Shift+S", 0, 0, false, false},
        {"acSaveSel", "Файл", "Сохранить выделенное", "Записать выделенное в файл", "", 0, 0, false, false},
        {"acExp", "Файл", "Экспорт", "Экспорт в рисунок", "", 0, 0, false, false},
        {"acPrint", "Файл", "Печать…", "Напечатать задание и ответы", "Ctrl+P", 0, 0, false, false},
        {"acExit", "Файл", "Выход", "Закончить работу", "", 0, 0, false, false},
        {"acUndo", "Правка", "Отменить ", "Отменить последнее изменение", "Ctrl+Z", 0, 0, false, false},
        {"acCopy", "Правка", "Копировать в буфер", "Копировать в буфер", "Ctrl+C", 0, 0, false, false},
        {"acCut", "Правка", "Вырезать", "Вырезать в буфер", "Ctrl+X", 0, 0, false, false},
        {"acPaste", "Правка", "Вставить из буфера", "Вставить из буфера обмена", "Ctrl+V", 0, 0, false, false},
        {"acSelectAll", "Правка", "Выделить все", "", "Ctrl+A", 0, 0, false, false},
        {"acDefault", "Правка", "Выбор", "Режим выбора", "", 0, 1, true, true},
        {"acDraw", "Правка", "Рисовать", "Режим рисования", "", 1, 1, true, false},
        {"acFill", "Правка", "Залить область", "Залить область|Залить область, заполненную одним цветом", "Ctrl+F",
         2, 1, true, false},
        {"acInsCol", "Правка", "Вставить столбе&ц", "Вставить столбец|Вставить столбец", "F5", 0, 0, false, false},
        {"acDelCol", "Правка", "&Удалить столбцы", "Удалить столбцы|Удалить выделенные столбцы", "Ctrl+F5", 0, 0,
         false, false},
        {"acInsertRow", "Правка", "В&ставить строку", "Вставить строку|Вставить строку", "F6", 0, 0, false, false},
        {"acDelRows", "Правка", "У&далить строки", "Удалить строки|Удалить выделенные строки", "Ctrl+F6", 0, 0, false,
         false},
        {"acWhite", "Правка", "Удалить", "Перекрасить выделенные ячейки в белый цвет", "Del", 0, 0, false, false},
        {"acBlack", "Правка", "В&ыделить", "Перекрасить выделенные ячейки в текущий цвет", "Ins", 1, 0, false, false},
        {"acInvert", "Правка", "О&братить", "Обратить цвета", "", 2, 0, false, false},
        {"acInvertAll", "Правка", "Обратить все", "Обратить все игровое поле", "", 0, 0, false, false},
        {"acLMirror", "Правка", "Отразить влево", "Зеркало влево", "", 0, 0, false, false},
        {"acRMirror", "Правка", "Отразить вправо", "Зеркало вправо", "", 0, 0, false, false},
        {"acUMirror", "Правка", "Отразить вверх", "Зеркало вверх", "", 0, 0, false, false},
        {"acDMirror", "Правка", "Отразить вниз", "Зеркало вниз", "", 0, 0, false, false},
        {"acSizeCut", "Правка", "Обрезать поле", "Обрезать поле по закрашенным ячейкам", "", 0, 0, false, false},
        {"acSelCut", "Правка", "Обрезать по выделению", "", "", 0, 0, false, false},
        {"acOneSel", "Правка", "Снять выделение", "Снять выделение|Оставить выделенной одну клетку", "", 0, 0, false, false},
        {"acKeyWordFont", "Правка", "Шрифт ключевого слова", "", "", 0, 0, false, false},
        {"acImport", "Клетомер", "Импорт", "Импорт из рисунка", "", 0, 0, false, false},
        {"acCalc", "Клетомер", "Расставить числа", "Рассчитать и проверить", "F8", 0, 0, false, false},
        {"acCalcAndCorrect", "Клетомер", "Скорректировать и расставить числа",
         "Скорректировать, если не решается, и расставить числа", "", 1, 0, false, false},
        {"acCalcAdvanced", "Клетомер", "Расставить числа (сложная логика)",
         "Расставить меньше чисел: решение требует рассуждать о нескольких числах сразу, ответ единственный", "", 2, 0,
         false, false},
        {"acCheck", "Клетомер", "Проверить", "Решить/Проверить на решаемость", "F9", 0, 0, false, false},
        {"acUnique", "Клетомер", "Проверить единственность", "Проверить, что ответ единственный", "", 0, 0, false,
         false},
        {"acGrade", "Клетомер", "Оценить сложность",
         "Оценить сложность|Оценить сложность и показать путь решения по шагам: какие числа решают каждую клетку", "F10",
         0, 0, false, false},
        {"acHint", "Клетомер", "Подсказка", "Подсказка|Показать следующий шаг решения от того, что уже известно", "F11",
         0, 0, false, false},
        {"acCalcLevel1", "Клетомер", "1 — одно число",
         "Расставить меньше чисел так, чтобы решение шло по одному числу за раз", "", 2, 0, false, false},
        {"acCalcLevel2", "Клетомер", "2 — два числа",
         "Расставить меньше чисел так, чтобы решению хватало рассуждений о двух числах сразу", "", 2, 0, false, false},
        {"acCalcLevel3", "Клетомер", "3 — короткое противоречие",
         "Расставить меньше чисел так, чтобы решению хватало двух чисел сразу и коротких противоречий", "", 2, 0, false,
         false},
        {"acStop", "Клетомер", "Стоп", "Прервать обсчет", "", 0, 0, false, false},
        {"acFont", "Клетомер", "Изменить шрифт ", "Изменить шрифт ", "", 0, 0, false, false},
        {"acHideBlack", "Клетомер", "Убрать ответы", "Убрать/Показать закрашенные клетки", "", 0, 0, true, false},
        {"acPreview", "Клетомер", "Показать изображение", "Просмотр изображения", "", 0, 0, true, false},
        {"acRefresh", "Клетомер", "Обновить изображение", "Обновить изображение в просмотре", "", 0, 0, false, false},
        {"acPrize", "Клетомер", "Призовая игра", "Выбрать призовую фразу", "", 0, 0, false, false},
        {"acDelPrize", "Клетомер", "Удалить призовое слово", "", "", 0, 0, false, false},
        {"acAbout", "", "О программе", "", "", 0, 0, false, false},
    };
    return specs;
}

QString shortHint(const QString& hint)
{
    return hint.section(QLatin1Char('|'), 0, 0);
}

QString longHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

ActionTable::ActionTable(QObject* owner)
{
    modes_ = new QActionGroup(owner);
    modes_->setExclusive(true);
    for (const ActionSpec& s : actionSpecs()) {
        auto* a = new QAction(QString::fromUtf8(s.caption), owner);
        a->setObjectName(QLatin1String(s.name));
        a->setProperty("category", QString::fromUtf8(s.category));
        a->setProperty("tag", s.tag);
        const QString hint = QString::fromUtf8(s.hint);
        if (!hint.isEmpty()) {
            a->setToolTip(shortHint(hint));
            a->setStatusTip(longHint(hint));
        }
        if (*s.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(s.shortcut)));
        a->setCheckable(s.checkable);
        a->setChecked(s.checked);
        if (s.group == 1) modes_->addAction(a);
        actions_.push_back(a);
    }
}

QAction* ActionTable::get(const char* name) const
{
    for (QAction* a : actions_)
        if (a->objectName() == QLatin1String(name)) return a;
    std::abort();
}

} // namespace klt
