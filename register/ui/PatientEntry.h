#pragma once
#include <QHash>
#include <QObject>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace Tabrix {

class EntryPanel;
class RecordLifecycle;
class Station;
class TestCodes;

// Keyboard entry of the patient record in the main window: the Enter/Up/Down
// ring through the boxes, Page Up/Down browsing, refused characters, the date and
// time short forms, and CheckFields before a save. It sees every key of the
// panel's window before the focused control does.
class PatientEntry : public QObject {
    Q_OBJECT
public:
    PatientEntry(EntryPanel &panel, RecordLifecycle &lifecycle, TestCodes &testCodes, const Station &station);

    // Completes the focused box, then runs the record's checks; on a failure shows
    // its message and puts the focus, text selected, in the box concerned.
    bool CheckFields();
    // Puts the focus in the box of a column, its text selected.
    void focusColumn(const QString &column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FormKeyDown(QKeyEvent *key);
    void Button1Click(QWidget *focused);
    void DBEFieldKeyUp(QWidget *control, QKeyEvent *key);
    bool dbeKeyPress(QKeyEvent *key) const;
    void refusePasted(QLineEdit *box);
    QString notCarriedNewly(QLineEdit *box, const QString &text) const;
    // The characters of `text` this station's labels cannot carry.
    QString notCarried(const QString &text) const;
    void sayNotCarried(const QString &characters) const;
    void DBEditFieldEnter(QLineEdit *box);
    void DBEDateFieldExit(QLineEdit *box);
    void DBETimeFieldExit(QLineEdit *box);
    void completeBox(QWidget *box);
    void moveFocus(QWidget *from, int step);

    EntryPanel &m_panel;
    RecordLifecycle &m_lifecycle;
    TestCodes &m_testCodes;
    const Station &m_station;
    QHash<QLineEdit *, QString> m_before; // each box's text before its latest edit
};

} // namespace Tabrix
