#include "prize/phraseedit.h"

#include <QValidator>
#include <algorithm>

#include "core/cp1251.h"
#include "core/text.h"

namespace klt {

namespace {

// One character in upper case as the Windows-1251 edit shows it; a character
// without a code of its own stays as it is.
QString upperChar(char32_t cp)
{
    const QString one = QString::fromUcs4(&cp, 1);
    const auto code = utf8ToCp1251Strict(one.toUtf8().toStdString());
    if (!code || code->size() != 1) return one;
    return QString::fromStdString(cp1251ToUtf8(std::string(1, static_cast<char>(upper1251(static_cast<unsigned char>((*code)[0]))))));
}

} // namespace

QString acceptPhraseText(const QString& text, Alphabet alphabet)
{
    QString out;
    for (const char32_t cp : text.toUcs4()) {
        const QString one = QString::fromUcs4(&cp, 1);
        const auto code = utf8ToCp1251Strict(one.toUtf8().toStdString());
        if (!code || code->size() != 1) continue;
        const auto ch = static_cast<unsigned char>((*code)[0]);
        if (!phraseAccepts(alphabet, ch)) continue;
        out += upperChar(cp);
    }
    return out;
}

// A validator sees only the whole proposed text, so it keeps the text it
// last accepted and filters just the part that differs from it. That way a
// loaded phrase with characters of another alphabet survives later typing.
class PhraseEdit::Filter : public QValidator {
public:
    using QValidator::QValidator;

    Alphabet alphabet = Alphabet::Russian;
    mutable QString accepted;

    State validate(QString& input, int& pos) const override
    {
        const qsizetype oldLen = accepted.size(), newLen = input.size();
        qsizetype head = 0;
        while (head < oldLen && head < newLen && accepted[head] == input[head]) ++head;
        qsizetype tail = 0;
        while (tail < oldLen - head && tail < newLen - head &&
               accepted[oldLen - 1 - tail] == input[newLen - 1 - tail])
            ++tail;
        const QString added = input.mid(head, newLen - head - tail);
        const QString kept = acceptPhraseText(added, alphabet);
        if (kept != added) {
            const qsizetype inAdded = std::clamp<qsizetype>(pos - head, 0, added.size());
            const qsizetype newPos = head + acceptPhraseText(added.left(inAdded), alphabet).size();
            input = input.left(head) + kept + input.right(tail);
            pos = static_cast<int>(pos >= head + added.size() ? pos - (added.size() - kept.size()) : newPos);
        }
        accepted = input;
        return Acceptable;
    }
};

PhraseEdit::PhraseEdit(QWidget* parent) : QLineEdit(parent), filter_(new Filter(this))
{
    setValidator(filter_);
}

void PhraseEdit::setAlphabet(Alphabet alphabet)
{
    filter_->alphabet = alphabet;
}

Alphabet PhraseEdit::alphabet() const
{
    return filter_->alphabet;
}

void PhraseEdit::setPhrase(const QString& text)
{
    // The edit is upper-case only: a phrase from a file shows, and is placed,
    // in capitals, whatever alphabet its characters come from.
    QString upper;
    for (const char32_t cp : text.toUcs4()) upper += upperChar(cp);
    filter_->accepted = upper;
    setText(upper);
}

} // namespace klt
