#pragma once
// The one place every message box of the program goes through, so that the
// kinds, captions and default buttons stay alike and tests can answer boxes.
#include <QString>
#include <functional>

namespace klt {

enum class MessageKind {
    Warning = 1,
    Error = 2,
    Question = 3,    // Yes / No / Cancel
    Information = 4,
    SystemQuestion = 5,
    SystemInformation = 6,
};

enum class MessageButton { Ok, Yes, No, Cancel };

// Shows a box owned by the active window. The default button is the first of
// the kind's buttons unless defaultIndex names the second (2) or third (3).
// CR LF inside the text become line breaks.
MessageButton messageBox(const QString& text, const QString& caption, MessageKind kind, int defaultIndex = 1);

// Information kind with the caller's caption (may be empty).
void informationBox(const QString& text, const QString& caption = {});
// The error sound, then an error box captioned "Ошибка".
void showErrorBox(const QString& text);
// The text, a line break and "Готово!!!".
void doneBox(const QString& text);

// While set, boxes are not shown: the hook sees them and gives the answer.
using MessageHook = std::function<MessageButton(MessageKind, const QString& text, const QString& caption)>;
void setMessageHook(MessageHook hook);

} // namespace klt
