#include "register/ui/TestCodes.h"
#include "app/base/Prompter.h"
#include "app/ui/TfrmMain.h"
#include "register/RecordLifecycle.h"
#include "register/TestListModel.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

namespace Tabrix {

TestCodes::TestCodes(TfrmMain &form, RecordLifecycle &lifecycle, std::function<void()> tbPrintClick)
    : QObject(&form), m_form(form), m_lifecycle(lifecycle), m_print(std::move(tbPrintClick))
{
    form.eTestCode->installEventFilter(this);
    form.DBGrid1->installEventFilter(this);
    // The grid and the test cursor stand on the same test.
    connect(form.DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                RunGuarded([&] { m_form.store().tblTests.Locate(m_form.testList()->keyAt(current.row())); });
            });
    connect(form.testList(), &QAbstractItemModel::modelReset, this, &TestCodes::showCurrentTest);
    connect(form.testList(), &TestListModel::currentMoved, this, &TestCodes::showCurrentTest);
}

void TestCodes::showCurrentTest()
{
    const int row = m_form.testList()->currentRow();
    if (row >= 0)
        m_form.DBGrid1->setCurrentIndex(m_form.testList()->index(row, 0));
}

bool TestCodes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form.eTestCode && event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            RunGuarded([this] { eTestCodeEnter(); });
    } else if (watched == m_form.DBGrid1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            RunGuarded([this] {
                if (!m_form.store().tblTests.IsEmpty() && prompter().ask(QuestionKind::Confirmation, QStringLiteral("Delete record?")))
                    deleteCurrentTest();
            });
            return true;
        }
    } else if (watched == m_form.DBGrid1 && event->type() == QEvent::KeyRelease
               && !static_cast<QKeyEvent *>(event)->isAutoRepeat()) {
        RunGuarded([this] { DBGrid1KeyUp(); });
    }
    return false;
}

// Reaching the code box saves the record, so its tests have a patient to belong to.
void TestCodes::eTestCodeEnter()
{
    if (m_form.store().tblPatients.editing())
        m_lifecycle.TryPost();
    QTimer::singleShot(0, m_form.eTestCode, &QLineEdit::selectAll);
}

void TestCodes::Button1Click()
{
    const QString code = m_form.eTestCode->text();
    if (!code.isEmpty()) {
        addTest(code);
        return;
    }
    // The registration is done: save, print its labels, start the next one.
    if (!m_lifecycle.TryPost())
        return;
    m_print();
    m_form.store().tblPatients.Append();
}

void TestCodes::addTest(const QString &code)
{
    Cursor &patients = m_form.store().tblPatients;
    Cursor &tests = m_form.store().tblTests;
    // A test belongs to a saved patient; without one it is refused, never stored
    // where another patient could reach it.
    if (patients.IsEmpty() || patients.state() == Cursor::State::Insert
        || patients.value(QStringLiteral("Order_id")).isNull()) {
        ShowError(QStringLiteral("The test %1 was not added: there is no saved patient record to add it to.").arg(code));
        return;
    }
    try {
        tests.Append();
        tests.setValue(QStringLiteral("Order_id"), patients.asInteger(QStringLiteral("Order_id")));
        tests.setValue(QStringLiteral("TestCode"), code);
        tests.Post();
    } catch (const ETabrixError &e) {
        tests.Cancel();
        ShowError(e.message());
        return;
    }
    m_form.eTestCode->clear();
}

void TestCodes::DBGrid1KeyUp()
{
    Cursor &tests = m_form.store().tblTests;
    if (tests.IsEmpty())
        return;
    if (prompter().ask(QuestionKind::Information, QStringLiteral("Delete ") + tests.asString(QStringLiteral("TestCode"))))
        deleteCurrentTest();
}

void TestCodes::deleteCurrentTest()
{
    try {
        m_form.store().tblTests.Delete();
    } catch (const ETabrixError &e) {
        ShowError(e.message());
    }
}

} // namespace Tabrix
