#pragma once
#include "base/Prompter.h"

namespace Tabrix {

// The prompter of the running program: modal message boxes.
class MessageBoxPrompter : public Prompter {
public:
    void showError(const QString &text) override;
    void generalError(const QString &text) override;
    bool ask(QuestionKind kind, const QString &text) override;
    void inform(const QString &text) override;
    void message(const QString &text) override;
};

} // namespace Tabrix
