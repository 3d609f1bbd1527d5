#pragma once
#include <QKeyEvent>
#include <QList>
#include <QObject>
#include <QSet>
#include <functional>

class QWidget;

namespace Tabrix {

// Holds a window's input while its labels print. Nothing typed meanwhile reaches
// the record being printed: typing (text, Enter, Tab, the arrows, editing keys) is
// kept in order and given back once the next record has started, or dropped
// with a word when none starts; a command key (F5 to F8, Page Up and Down, menu
// and control keys) and the mouse are refused at once with a word. Holds nest:
// the outermost release decides.
class TypeAhead : public QObject {
    Q_OBJECT
public:
    // `say` puts a word in the window's status bar: in place of what it says, or
    // after it (`after`), so that what a run said stays in sight.
    using Say = std::function<void(const QString &text, bool after)>;
    TypeAhead(QWidget *window, Say say);
    ~TypeAhead() override;

    // A hold for as long as it lives; the keys are given back only when
    // giveBack() was called before it ends.
    class Hold {
    public:
        Hold(TypeAhead &typeAhead, const QString &what) : m_typeAhead(typeAhead) { typeAhead.hold(what); }
        ~Hold() { m_typeAhead.release(m_giveBack); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;
        void giveBack(bool yes = true) { m_giveBack = yes; }

    private:
        TypeAhead &m_typeAhead;
        bool m_giveBack = false;
    };

    // Holds the window's input from now on; `what` names the work in the words
    // ("the labels for X12346").
    void hold(const QString &what);
    // Ends a hold. The outermost gives the kept keys back to the window, in order,
    // when `giveBack`, else drops them with a word.
    void release(bool giveBack);
    bool held() const { return m_depth > 0; }
    // The word said when something is refused while held.
    QString busyText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Key {
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        bool autoRepeat;
        quint16 count;
    };
    bool forTheWindow(QObject *watched) const;
    static bool isTyping(const QKeyEvent *key);
    static bool isModifierAlone(const QKeyEvent *key);
    void giveBack();

    QWidget *m_window;
    Say m_say;
    int m_depth = 0;
    bool m_givingBack = false;
    QString m_what;
    QList<Key> m_kept;
    QSet<int> m_keptDown; // keys whose press was kept: their release is kept too
};

} // namespace Tabrix
