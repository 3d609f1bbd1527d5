#pragma once
#include <QValidator>

namespace Tabrix {

// Turns every letter of a box into upper case as it is typed or pasted, one
// character for one: a letter whose upper case is longer (ß) stays as it is, so
// the text and the caret never move.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (QChar &c : input) {
            const QChar upper = c.toUpper();
            if (upper != c && QString(c).toUpper().size() == 1)
                c = upper;
        }
        return Acceptable;
    }
};

} // namespace Tabrix
