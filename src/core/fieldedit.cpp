#include "core/fieldedit.h"

namespace klt {

FieldEdit::FieldEdit(PuzzleDocument& doc) : doc_(doc), outer_(doc.beginEdit())
{
    if (outer_) revision_ = doc_.field().revision();
}

FieldEdit::~FieldEdit()
{
    doc_.endEdit();
    if (!outer_) return;
    const bool changed = doc_.field().revision() != revision_;
    if (changed && !doc_.modified()) doc_.setModified(true);
}

} // namespace klt
