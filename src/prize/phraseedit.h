#pragma once
// The edit of the key phrase. It takes only what the chosen alphabet allows,
// in upper case, whether typed, pasted or dropped; a phrase put in by the
// program (from a file) keeps all its characters, upper-cased.
#include <QLineEdit>

#include "core/prize.h"

namespace klt {

// The characters of text that may stand in a phrase of the alphabet, upper-
// cased. Characters without a Windows-1251 code never may: the phrase is
// stored and placed as Windows-1251 text.
QString acceptPhraseText(const QString& text, Alphabet alphabet);

class PhraseEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit PhraseEdit(QWidget* parent = nullptr);

    void setAlphabet(Alphabet alphabet);
    Alphabet alphabet() const;

    // Shows text unfiltered, in upper case: only what the user adds is filtered.
    void setPhrase(const QString& text);

private:
    class Filter;
    Filter* filter_;
};

} // namespace klt
