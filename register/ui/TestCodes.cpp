#include "register/ui/TestCodes.h"
#include "base/Prompter.h"
#include "register/ui/EntryPanel.h"
#include "base/ui/InputRules.h"
#include "register/RecordLifecycle.h"
#include "register/TestListModel.h"
#include "register/ui/TypeAhead.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

namespace Tabrix {

TestCodes::TestCodes(EntryPanel &panel, RecordLifecycle &lifecycle, TypeAhead &typeAhead,
                     std::function<bool()> tbPrintClick)
    : QObject(&panel), m_panel(panel), m_lifecycle(lifecycle), m_typeAhead(typeAhead), m_print(std::move(tbPrintClick))
{
    panel.testCode()->installEventFilter(this);
    panel.testGrid()->installEventFilter(this);
    // The grid and the test cursor stand on the same test.
    connect(panel.testGrid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                RunGuarded([&] { m_panel.tests().Locate(m_panel.testList()->keyAt(current.row())); });
            });
    connect(panel.testList(), &QAbstractItemModel::modelReset, this, &TestCodes::showCurrentTest);
    connect(panel.testList(), &TestListModel::currentMoved, this, &TestCodes::showCurrentTest);
}

void TestCodes::showCurrentTest()
{
    const int row = m_panel.testList()->currentRow();
    if (row >= 0)
        m_panel.testGrid()->setCurrentIndex(m_panel.testList()->index(row, 0));
}

bool TestCodes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel.testCode() && event->type() == QEvent::FocusIn) {
        if (FocusByTheUser(event))
            RunGuarded([this] { eTestCodeEnter(); });
    } else if (watched == m_panel.testGrid() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            RunGuarded([this] {
                if (!m_panel.tests().IsEmpty() && prompter().ask(QuestionKind::Confirmation, QStringLiteral("Delete record?")))
                    deleteCurrentTest();
            });
            return true;
        }
    } else if (watched == m_panel.testGrid() && event->type() == QEvent::KeyRelease
               && !static_cast<QKeyEvent *>(event)->isAutoRepeat()) {
        // Only a key pressed here asks: the Enter or N that answered the question
        // was pressed in its box. The command keys only run their command.
        const int key = static_cast<QKeyEvent *>(event)->key();
        static const QSet<int> commands = {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_PageUp, Qt::Key_PageDown};
        if (m_pressedInGrid.remove(key) && !commands.contains(key))
            RunGuarded([this] { DBGrid1KeyUp(); });
    } else if (watched == m_panel.testGrid() && event->type() == QEvent::FocusOut) {
        m_pressedInGrid.clear(); // their releases go elsewhere
    }
    return false;
}

void TestCodes::gridKeyPressed(int key)
{
    m_pressedInGrid.insert(key);
}

bool TestCodes::takeTypedCode()
{
    const QString code = m_panel.testCode()->text();
    return code.isEmpty() || addTest(code);
}

// Reaching the code box saves the record, so its tests have a patient to belong to.
void TestCodes::eTestCodeEnter()
{
    if (m_panel.patients().editing())
        m_lifecycle.TryPost();
    QTimer::singleShot(0, m_panel.testCode(), &QLineEdit::selectAll);
}

void TestCodes::Button1Click()
{
    const QString code = m_panel.testCode()->text();
    if (!code.isEmpty()) {
        addTest(code);
        return;
    }
    // The registration is done: save, print its labels, start the next one. What
    // the clerk types meanwhile waits for the next record; a label that was not
    // printed keeps the registration on screen.
    if (!m_lifecycle.TryPost())
        return;
    Cursor &patients = m_panel.patients();
    TypeAhead::Hold hold(m_typeAhead, QStringLiteral("the labels for %1").arg(patients.asString(QStringLiteral("AccnStr"))));
    if (!m_print())
        return;
    patients.Append();
    hold.giveBack(patients.state() == Cursor::State::Insert);
}

bool TestCodes::addTest(const QString &code)
{
    Cursor &patients = m_panel.patients();
    Cursor &tests = m_panel.tests();
    // A test belongs to a saved patient; without one it is refused, never stored
    // where another patient could reach it.
    if (patients.IsEmpty() || patients.state() == Cursor::State::Insert
        || patients.value(QStringLiteral("Order_id")).isNull()) {
        ShowError(QStringLiteral("The test %1 was not added: there is no saved patient record to add it to.").arg(code));
        return false;
    }
    try {
        tests.Append();
        tests.setValue(QStringLiteral("Order_id"), patients.asInteger(QStringLiteral("Order_id")));
        tests.setValue(QStringLiteral("TestCode"), code);
        m_lifecycle.store().postTest(); // with its audit row
    } catch (const ETabrixError &e) {
        tests.Cancel();
        ShowError(e.message());
        return false;
    }
    m_panel.testCode()->clear();
    return true;
}

void TestCodes::DBGrid1KeyUp()
{
    Cursor &tests = m_panel.tests();
    if (tests.IsEmpty())
        return;
    if (prompter().ask(QuestionKind::Information, QStringLiteral("Delete ") + tests.asString(QStringLiteral("TestCode"))))
        deleteCurrentTest();
}

void TestCodes::deleteCurrentTest()
{
    try {
        m_lifecycle.store().deleteTest(); // with its audit row
    } catch (const ETabrixError &e) {
        ShowError(e.message());
    }
}

} // namespace Tabrix
