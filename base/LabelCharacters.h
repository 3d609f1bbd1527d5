#pragma once
#include <QString>

namespace Tabrix {

// How the values a label's tags give reach its bytes: only the characters 32-126,
// each as its byte (the label's own character set), or as UTF-8 for printers whose
// template selects it. Entry boxes refuse what their station's labels cannot carry,
// so the register and the label always agree.
enum class ValueBytes { Printable, Utf8 };

// How a station's values reach its labels: Defaults/LabelUTF8.
inline ValueBytes ValueBytesFor(bool labelUTF8)
{
    return labelUTF8 ? ValueBytes::Utf8 : ValueBytes::Printable;
}

// Whether a label carries the character in that form (never a control character).
inline bool LabelCarries(QChar c, ValueBytes form)
{
    return form == ValueBytes::Utf8 ? c.unicode() >= 32 && c.unicode() != 127 : c.unicode() >= 32 && c.unicode() <= 126;
}

// The characters of `text` that a label cannot carry in that form, each once.
inline QString CharactersLabelsCannotCarry(const QString &text, ValueBytes form)
{
    QString refused;
    for (const QChar c : text)
        if (!LabelCarries(c, form) && !refused.contains(c))
            refused += c;
    return refused;
}

} // namespace Tabrix
