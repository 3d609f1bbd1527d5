#pragma once
#include <QObject>
#include <functional>

class QKeyEvent;

namespace Tabrix {

class EntryPanel;
class RecordLifecycle;

// The test codes of the current record: the code box, where each code ended with
// Enter becomes a test of the saved record and Enter on the empty box finishes the
// registration (save, print, next record), and the grid of the record's tests.
class TestCodes : public QObject {
    Q_OBJECT
public:
    TestCodes(EntryPanel &panel, RecordLifecycle &lifecycle, std::function<void()> tbPrintClick);

    // Enter in the code box.
    void Button1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void eTestCodeEnter();
    void addTest(const QString &code);
    void DBGrid1KeyUp();
    void deleteCurrentTest();
    void showCurrentTest();

    EntryPanel &m_panel;
    RecordLifecycle &m_lifecycle;
    std::function<void()> m_print;
};

} // namespace Tabrix
