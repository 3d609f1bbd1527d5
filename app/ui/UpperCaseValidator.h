#pragma once
#include <QValidator>

namespace Tabrix {

// Turns every letter of a box into upper case as it is typed or pasted.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace Tabrix
