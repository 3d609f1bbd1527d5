#include "register/ui/TypeAhead.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace Tabrix {

TypeAhead::TypeAhead(QWidget *window, Say say)
    : QObject(window), m_window(window), m_say(std::move(say))
{
}

TypeAhead::~TypeAhead()
{
    if (m_depth > 0)
        qApp->removeEventFilter(this);
}

QString TypeAhead::busyText() const
{
    return QStringLiteral("Printing %1: wait until they are printed.").arg(m_what);
}

void TypeAhead::hold(const QString &what)
{
    if (m_depth++ == 0) {
        m_what = what;
        m_keptDown.clear();
        qApp->installEventFilter(this); // the newest filter sees each event first
    }
}

void TypeAhead::release(bool giveBackKeys)
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    qApp->removeEventFilter(this);
    if (!giveBackKeys) {
        if (const auto n = std::count_if(m_kept.begin(), m_kept.end(), [](const Key &k) { return k.type == QEvent::KeyPress; });
            n > 0)
            m_say(QStringLiteral("%1 key%2 typed while %3 printed %4 not taken: no new record was started. Type %5 again.")
                      .arg(n)
                      .arg(n == 1 ? QString() : QStringLiteral("s"), m_what, n == 1 ? QStringLiteral("was") : QStringLiteral("were"),
                           n == 1 ? QStringLiteral("it") : QStringLiteral("them")),
                  true);
        m_kept.clear();
        return;
    }
    if (!m_givingBack) // a hold that begins and ends while keys are given back leaves the rest to that loop
        giveBack();
}

// Each kept key goes to whatever has the focus when its turn comes, as if typed
// then: Enter moves on through the record before the next letters land.
void TypeAhead::giveBack()
{
    m_givingBack = true;
    while (!m_kept.isEmpty()) {
        const Key k = m_kept.takeFirst();
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget() && QApplication::focusWidget()->window() == m_window ? QApplication::focusWidget()
                                                                                                         : m_window;
        QKeyEvent event(k.type, k.key, k.modifiers, k.text, k.autoRepeat, k.count);
        QApplication::sendEvent(target, &event);
    }
    m_givingBack = false;
}

bool TypeAhead::forTheWindow(QObject *watched) const
{
    if (auto *w = qobject_cast<QWidget *>(watched))
        return w->window() == m_window;
    return watched == m_window->windowHandle(); // a window without a focused control
}

bool TypeAhead::isModifierAlone(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta:
    case Qt::Key_CapsLock: case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

// Keys that write into the record or move through it; anything else is a command.
bool TypeAhead::isTyping(const QKeyEvent *key)
{
    if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Tab: case Qt::Key_Backtab:
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Backspace: case Qt::Key_Delete:
        return true;
    default:
        return !key->text().isEmpty() && key->text().front().isPrint();
    }
}

bool TypeAhead::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (!forTheWindow(watched))
            return false;
        event->accept(); // no shortcut acts: the key comes as a key press, below
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (!forTheWindow(watched))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (isModifierAlone(key))
            return true;
        if (event->type() == QEvent::KeyPress) {
            if (!isTyping(key)) {
                if (!key->isAutoRepeat())
                    m_say(QStringLiteral("%1 was not taken. %2")
                              .arg(QKeySequence(key->keyCombination()).toString(QKeySequence::NativeText), busyText()),
                          false);
                return true;
            }
            m_keptDown.insert(key->key());
        } else if (!m_keptDown.contains(key->key())) {
            return true; // the release of a key pressed before, or refused
        }
        m_kept << Key{event->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count()};
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        if (!forTheWindow(watched))
            return false;
        if (event->type() == QEvent::MouseButtonPress)
            m_say(busyText(), false);
        return true;
    case QEvent::MouseButtonRelease:
        return forTheWindow(watched);
    default:
        return false;
    }
}

} // namespace Tabrix
