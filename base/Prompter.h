#pragma once
#include <QString>
#include <functional>

namespace Tabrix {

// Warning and Information ask Yes or No; Confirmation asks OK or Cancel.
enum class QuestionKind { Warning, Information, Confirmation };

// Every message box and Yes/No question of the program goes through the installed
// prompter: the windows install one that shows modal boxes, tests one that records
// what was shown and answers from a script.
class Prompter {
public:
    virtual ~Prompter() = default;
    // The error box: titled "Error", error symbol, one OK button.
    virtual void showError(const QString &text) = 0;
    // The general error display: titled "Tabrix", error symbol, one OK button.
    virtual void generalError(const QString &text) = 0;
    // A question titled by its kind; true only for Yes (or OK).
    virtual bool ask(QuestionKind kind, const QString &text) = 0;
    // An information box with one OK button.
    virtual void inform(const QString &text) = 0;
    // A plain message box: no symbol, one OK button.
    virtual void message(const QString &text) = 0;
};

Prompter &prompter();
// Installs a prompter (not owned); nullptr returns to the one that writes to stderr.
void installPrompter(Prompter *p);

void ShowError(const QString &text);

// The general error display's text: a full stop is added when the message's last
// character comes after "." in the character set.
QString WithFullStop(const QString &message);

// Runs one event's work; an error that escapes it ends that event and is shown by
// the general error display. Returns false when an error was shown.
bool RunGuarded(const std::function<void()> &work);

} // namespace Tabrix
