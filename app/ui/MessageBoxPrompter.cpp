#include "app/ui/MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace Tabrix {

namespace {
int box(QMessageBox::Icon icon, const QString &title, const QString &text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton focused = QMessageBox::NoButton)
{
    QMessageBox b(icon, title, text, buttons, QApplication::activeWindow());
    if (focused != QMessageBox::NoButton)
        b.setDefaultButton(focused);
    return b.exec();
}
} // namespace

void MessageBoxPrompter::showError(const QString &text)
{
    box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
}

void MessageBoxPrompter::generalError(const QString &text)
{
    box(QMessageBox::Critical, QStringLiteral("Tabrix"), text, QMessageBox::Ok);
}

bool MessageBoxPrompter::ask(QuestionKind kind, const QString &text)
{
    switch (kind) {
    // Every question's Yes deletes or discards something: a stray Enter answers No
    // (Y, or a click, still answers Yes).
    case QuestionKind::Warning:
        return box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No)
               == QMessageBox::Yes;
    case QuestionKind::Information:
        return box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No)
               == QMessageBox::Yes;
    case QuestionKind::Confirmation:
        break;
    }
    return box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void MessageBoxPrompter::inform(const QString &text)
{
    box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok);
}

void MessageBoxPrompter::message(const QString &text)
{
    box(QMessageBox::NoIcon, QStringLiteral("Tabrix"), text, QMessageBox::Ok);
}

} // namespace Tabrix
