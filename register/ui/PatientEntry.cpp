#include "register/ui/PatientEntry.h"
#include "app/base/Clock.h"
#include "register/ui/FieldBinding.h"
#include "app/base/Prompter.h"
#include "app/base/TabrixDefs.h"
#include "app/ui/TfrmMain.h"
#include "register/EntryRules.h"
#include "register/RecordLifecycle.h"
#include "register/ui/TestCodes.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace Tabrix {

namespace {
constexpr int FirstTag = 1100, LastPatientTag = 1109, TestCodeTag = 1110;

int tagOf(const QWidget *w)
{
    return w ? w->property("tag").toInt() : 0;
}

// Focus that comes or goes with another window (a message box, a menu) is no
// entering or leaving of a box.
bool byTheUser(const QEvent *event)
{
    const auto reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
} // namespace

PatientEntry::PatientEntry(TfrmMain &form, RecordLifecycle &lifecycle, TestCodes &testCodes)
    : QObject(&form), m_form(form), m_lifecycle(lifecycle), m_testCodes(testCodes)
{
    qApp->installEventFilter(this);
}

bool PatientEntry::isPatientControl(QWidget *w) const
{
    const int tag = tagOf(w);
    return tag >= FirstTag && tag <= LastPatientTag;
}

bool PatientEntry::isDateBox(QWidget *w) const
{
    return w == m_form.dbeDOB || w == m_form.DBECollectionDate || w == m_form.DBERecieveDate;
}

bool PatientEntry::isTimeBox(QWidget *w) const
{
    return w == m_form.DBECollectionTime || w == m_form.DBERecieveTime;
}

bool PatientEntry::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_form)
        return false;
    bool consumed = false;
    RunGuarded([&] {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (widget != QApplication::focusWidget())
                break; // the window sees each key once, through the focused control
            consumed = FormKeyDown(key);
            if (!consumed && (isPatientControl(widget) || widget == m_form.eTestCode))
                consumed = dbeKeyPress(key);
            break;
        }
        case QEvent::KeyRelease:
            if (isPatientControl(widget) && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
                DBEFieldKeyUp(widget, static_cast<QKeyEvent *>(event));
            break;
        case QEvent::FocusIn:
            if (auto *box = qobject_cast<QLineEdit *>(widget); box && isPatientControl(box) && byTheUser(event))
                DBEditFieldEnter(box);
            break;
        case QEvent::FocusOut:
            if (auto *box = qobject_cast<QLineEdit *>(widget); box && byTheUser(event)) {
                if (isDateBox(box))
                    DBEDateFieldExit(box);
                else if (isTimeBox(box))
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
        return QApplication::focusWidget() == m_form.dbcGender;
    case Qt::Key_PageDown:
        m_lifecycle.tbNextClick();
        return QApplication::focusWidget() == m_form.dbcGender;
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
    if (!focused || focused == m_form.DBGrid1 || focused == m_form.Button1)
        return;
    if (tagOf(focused) == TestCodeTag)
        m_testCodes.Button1Click();
    else if (isPatientControl(focused))
        moveFocus(focused, +1);
}

void PatientEntry::DBEFieldKeyUp(QWidget *control, QKeyEvent *key)
{
    if (key->key() == Qt::Key_Down)
        moveFocus(control, +1);
    else if (key->key() == Qt::Key_Up)
        moveFocus(control, -1);
}

// The ring by tag: last name ... receive time, then the test code box; Up from
// the last name also goes to the test code box.
void PatientEntry::moveFocus(QWidget *from, int step)
{
    int tag = tagOf(from) + step;
    if (tag < FirstTag || tag > LastPatientTag)
        tag = TestCodeTag;
    if (QWidget *next = m_form.controlForTag(tag))
        next->setFocus(Qt::OtherFocusReason);
}

bool PatientEntry::dbeKeyPress(QKeyEvent *key) const
{
    const QString typed = key->text();
    return !typed.isEmpty() && typed.front().isPrint() && TabrixDefs::IllegalChars.contains(typed.front());
}

void PatientEntry::DBEditFieldEnter(QLineEdit *box)
{
    QTimer::singleShot(0, box, &QLineEdit::selectAll); // after a click has placed the caret
}

void PatientEntry::DBEDateFieldExit(QLineEdit *box)
{
    if (!m_form.store().tblPatients.editing())
        return;
    box->setText(NormalizeDate(box->text(), Clock::today()));
    m_form.bindingFor(box)->store();
}

void PatientEntry::DBETimeFieldExit(QLineEdit *box)
{
    if (!m_form.store().tblPatients.editing())
        return;
    box->setText(NormalizeTime(box->text(), Clock::now().time()));
    m_form.bindingFor(box)->store();
}

void PatientEntry::completeBox(QWidget *box)
{
    if (isDateBox(box))
        DBEDateFieldExit(static_cast<QLineEdit *>(box));
    else if (isTimeBox(box))
        DBETimeFieldExit(static_cast<QLineEdit *>(box));
    else if (FieldBinding *binding = m_form.bindingFor(box))
        binding->store();
}

bool PatientEntry::CheckFields()
{
    try {
        completeBox(QApplication::focusWidget());
        const auto failure = CheckRecord(m_form.store().tblPatients, Clock::now());
        if (!failure)
            return true;
        ShowError(failure->message);
        if (QWidget *box = m_form.controlForColumn(failure->column)) {
            box->setFocus(Qt::OtherFocusReason);
            if (auto *edit = qobject_cast<QLineEdit *>(box))
                edit->selectAll();
        }
    } catch (const std::exception &) {
        // any other failure refuses the save without a word
    }
    return false;
}

} // namespace Tabrix
