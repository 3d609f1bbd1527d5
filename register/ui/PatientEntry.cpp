#include "register/ui/PatientEntry.h"
#include "base/Clock.h"
#include "base/ui/InputRules.h"
#include "register/ui/EntryPanel.h"
#include "register/ui/FieldBinding.h"
#include "base/Prompter.h"
#include "register/Station.h"
#include "register/EntryRules.h"
#include "register/RecordLifecycle.h"
#include "register/ui/TestCodes.h"
#include "base/LabelCharacters.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace Tabrix {

PatientEntry::PatientEntry(EntryPanel &panel, RecordLifecycle &lifecycle, TestCodes &testCodes, const Station &station)
    : QObject(&panel), m_panel(panel), m_lifecycle(lifecycle), m_testCodes(testCodes), m_station(station)
{
    qApp->installEventFilter(this);
    // Text that arrives without a typed key (a paste, a drop) is checked as a whole.
    for (QWidget *w : panel.ring())
        if (auto *box = qobject_cast<QLineEdit *>(w)) {
            m_before.insert(box, box->text());
            connect(box, &QLineEdit::textChanged, this, [this, box](const QString &text) {
                if (!box->isModified() || notCarriedNewly(box, text).isEmpty())
                    m_before[box] = text;
            });
            connect(box, &QLineEdit::textEdited, this, [this, box] { refusePasted(box); });
        }
}

bool PatientEntry::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_panel.window())
        return false;
    bool consumed = false;
    RunGuarded([&] {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (widget != QApplication::focusWidget())
                break; // the window sees each key once, through the focused control
            if (widget == m_panel.testGrid() && !key->isAutoRepeat())
                m_testCodes.gridKeyPressed(key->key());
            consumed = FormKeyDown(key);
            if (!consumed && m_panel.ringIndex(widget) >= 0)
                consumed = dbeKeyPress(key);
            break;
        }
        case QEvent::KeyRelease:
            if (m_panel.isPatientBox(widget) && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
                DBEFieldKeyUp(widget, static_cast<QKeyEvent *>(event));
            break;
        case QEvent::FocusIn:
            if (auto *box = qobject_cast<QLineEdit *>(widget); box && m_panel.isPatientBox(box) && FocusByTheUser(event))
                DBEditFieldEnter(box);
            break;
        case QEvent::FocusOut:
            if (auto *box = qobject_cast<QLineEdit *>(widget); box && FocusByTheUser(event)) {
                if (m_panel.kindOf(box) == EntryPanel::Kind::Date)
                    DBEDateFieldExit(box);
                else if (m_panel.kindOf(box) == EntryPanel::Kind::Time)
                    DBETimeFieldExit(box);
            }
            break;
        default:
            break;
        }
    });
    return consumed;
}

bool PatientEntry::FormKeyDown(QKeyEvent *key)
{
    switch (key->key()) {
    // Browsing whether or not Previous and Next are enabled. The key still reaches
    // the focused box, but not the gender list: it would change the gender of the
    // record just reached.
    case Qt::Key_PageUp:
        m_lifecycle.tbPrevClick();
        return QApplication::focusWidget() == m_panel.gender();
    case Qt::Key_PageDown:
        m_lifecycle.tbNextClick();
        return QApplication::focusWidget() == m_panel.gender();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        Button1Click(QApplication::focusWidget());
        return true;
    default:
        return false;
    }
}

// Enter, wherever the focus is: the next box of the ring, or the test code box's own work.
void PatientEntry::Button1Click(QWidget *focused)
{
    if (focused == m_panel.testCode())
        m_testCodes.Button1Click();
    else if (m_panel.isPatientBox(focused))
        moveFocus(focused, +1);
}

void PatientEntry::DBEFieldKeyUp(QWidget *control, QKeyEvent *key)
{
    if (key->key() == Qt::Key_Down)
        moveFocus(control, +1);
    else if (key->key() == Qt::Key_Up)
        moveFocus(control, -1);
}

// The ring: last name ... receive time, then the test code box; Up from the last
// name also goes to the test code box.
void PatientEntry::moveFocus(QWidget *from, int step)
{
    const QList<QWidget *> &ring = m_panel.ring();
    const int next = m_panel.ringIndex(from) + step;
    QWidget *to = next >= 0 && next < ring.size() - 1 ? ring[next] : m_panel.testCode();
    to->setFocus(Qt::OtherFocusReason);
}

bool PatientEntry::dbeKeyPress(QKeyEvent *key) const
{
    if (IsRefusedCharacter(key, m_station.settings().IllegalChars))
        return true;
    // What the label cannot carry never reaches the register either: the two agree.
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.front().isPrint())
        return false;
    const QString refused = notCarried(typed);
    if (refused.isEmpty())
        return false;
    sayNotCarried(refused);
    return true;
}

QString PatientEntry::notCarried(const QString &text) const
{
    return CharactersLabelsCannotCarry(text, ValueBytesFor(m_station.settings().LabelUTF8));
}

// The characters of `text` that a label cannot carry and the box did not hold
// before (a value stored before keeps what it has).
QString PatientEntry::notCarriedNewly(QLineEdit *box, const QString &text) const
{
    QString refused = notCarried(text);
    for (const QChar c : notCarried(m_before.value(box)))
        refused.remove(c);
    return refused;
}

void PatientEntry::refusePasted(QLineEdit *box)
{
    const QString refused = notCarriedNewly(box, box->text());
    if (refused.isEmpty())
        return;
    box->setText(m_before.value(box));
    sayNotCarried(refused);
}

// Names each refused character, with the plain letter it stands on where it has one.
void PatientEntry::sayNotCarried(const QString &characters) const
{
    QStringList named;
    for (const QChar c : characters) {
        const QString base = c.decomposition().left(1);
        named << (base.isEmpty() || !notCarried(base).isEmpty()
                      ? QString(c)
                      : QStringLiteral("%1 (type %2 instead)").arg(c).arg(base.toUpper()));
    }
    m_lifecycle.ShowStatus(QStringLiteral("%1 cannot be printed on this station's labels, so it was not taken: %2.")
                               .arg(characters.size() == 1 ? QStringLiteral("This character") : QStringLiteral("These characters"),
                                    named.join(QStringLiteral(", "))));
}

void PatientEntry::DBEditFieldEnter(QLineEdit *box)
{
    QTimer::singleShot(0, box, &QLineEdit::selectAll); // after a click has placed the caret
}

void PatientEntry::DBEDateFieldExit(QLineEdit *box)
{
    if (!m_panel.patients().editing())
        return;
    box->setText(NormalizeDate(box->text(), Clock::today()));
    m_panel.bindingFor(box)->store();
}

void PatientEntry::DBETimeFieldExit(QLineEdit *box)
{
    if (!m_panel.patients().editing())
        return;
    box->setText(NormalizeTime(box->text(), Clock::now().time()));
    m_panel.bindingFor(box)->store();
}

void PatientEntry::completeBox(QWidget *box)
{
    switch (m_panel.kindOf(box)) {
    case EntryPanel::Kind::Date:
        DBEDateFieldExit(static_cast<QLineEdit *>(box));
        break;
    case EntryPanel::Kind::Time:
        DBETimeFieldExit(static_cast<QLineEdit *>(box));
        break;
    default:
        if (FieldBinding *binding = m_panel.bindingFor(box))
            binding->store();
    }
}

void PatientEntry::focusColumn(const QString &column)
{
    if (QWidget *box = m_panel.boxForColumn(column)) {
        box->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(box))
            edit->selectAll();
    }
}

bool PatientEntry::CheckFields()
{
    try {
        completeBox(QApplication::focusWidget());
        const auto failure = CheckRecord(m_panel.patients(), Clock::now());
        if (!failure)
            return true;
        ShowError(failure->message);
        focusColumn(failure->column);
    } catch (const std::exception &) {
        // any other failure refuses the save without a word
    }
    return false;
}

} // namespace Tabrix
