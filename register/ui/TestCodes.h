#pragma once
#include <QObject>
#include <QSet>
#include <functional>

class QKeyEvent;

namespace Tabrix {

class EntryPanel;
class RecordLifecycle;
class TypeAhead;

// The test codes of the current record: the code box, where each code ended with
// Enter becomes a test of the saved record and Enter on the empty box finishes the
// registration (save, print, next record), and the grid of the record's tests.
class TestCodes : public QObject {
    Q_OBJECT
public:
    // `tbPrintClick` prints the record's labels: false when one was not printed.
    TestCodes(EntryPanel &panel, RecordLifecycle &lifecycle, TypeAhead &typeAhead, std::function<bool()> tbPrintClick);

    // Enter in the code box.
    void Button1Click();
    // A key was pressed while the grid had the focus (the window sees it first).
    void gridKeyPressed(int key);
    // A code typed into the box and not yet added is added, as Enter adds it;
    // false when it could not be (the box keeps it and the reason was shown).
    bool takeTypedCode();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void eTestCodeEnter();
    bool addTest(const QString &code);
    void DBGrid1KeyUp();
    void deleteCurrentTest();
    void showCurrentTest();

    EntryPanel &m_panel;
    RecordLifecycle &m_lifecycle;
    TypeAhead &m_typeAhead;
    std::function<bool()> m_print;
    QSet<int> m_pressedInGrid; // keys pressed in the grid and not released yet
};

} // namespace Tabrix
