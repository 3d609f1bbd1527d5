#include "base/Prompter.h"
#include "base/EventLog.h"
#include "base/TabrixError.h"

#include <cstdio>

namespace Tabrix {

namespace {
class StderrPrompter : public Prompter {
public:
    void showError(const QString &text) override { print("Error", text); }
    void generalError(const QString &text) override { print("Tabrix", text); }
    bool ask(QuestionKind, const QString &text) override
    {
        print("Question", text);
        return false;
    }
    void inform(const QString &text) override { print("Information", text); }
    void message(const QString &text) override { print("Message", text); }

private:
    static void print(const char *title, const QString &text)
    {
        std::fprintf(stderr, "%s: %s\n", title, qPrintable(text));
    }
};

StderrPrompter fallback;
Prompter *installed = nullptr;

// Every error shown also goes into the program's log, for support.
class LoggedPrompter : public Prompter {
public:
    void showError(const QString &text) override
    {
        EventLog::Write(QStringLiteral("error shown: ") + text);
        shown().showError(text);
    }
    void generalError(const QString &text) override
    {
        EventLog::Write(QStringLiteral("error shown: ") + text);
        shown().generalError(text);
    }
    bool ask(QuestionKind kind, const QString &text) override { return shown().ask(kind, text); }
    void inform(const QString &text) override { shown().inform(text); }
    void message(const QString &text) override { shown().message(text); }

private:
    static Prompter &shown() { return installed ? *installed : fallback; }
};

LoggedPrompter logged;
} // namespace

Prompter &prompter()
{
    return logged;
}

void installPrompter(Prompter *p)
{
    installed = p;
}

void ShowError(const QString &text)
{
    prompter().showError(text);
}

QString WithFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

bool RunGuarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const ETabrixError &e) {
        prompter().generalError(WithFullStop(e.message()));
    } catch (const std::exception &e) {
        prompter().generalError(WithFullStop(QString::fromLocal8Bit(e.what())));
    }
    return false;
}

} // namespace Tabrix
