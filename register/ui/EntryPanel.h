#pragma once
#include <QList>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace Tabrix {

class Cursor;
class FieldBinding;
class TestListModel;

// The main window's entry panel: the record's boxes in their keyboard ring (last
// name to receive time, then the test code box), each bound to its column of the
// patient cursor, the grid of the record's tests and the banner, all built from
// one table of entry fields. The entry and test-code handlers work on it.
class EntryPanel : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Text, Gender, Date, Time, TestCode };

    EntryPanel(Cursor &patients, Cursor &tests, QWidget *parent);

    Cursor &patients() const { return m_patients; }
    Cursor &tests() const { return m_tests; }

    // The boxes in ring order: the ten patient boxes, then the test code box.
    const QList<QWidget *> &ring() const { return m_ring; }
    // A box's place in the ring, or -1 for any other widget.
    int ringIndex(const QWidget *w) const { return m_ring.indexOf(const_cast<QWidget *>(w)); }
    Kind kindOf(const QWidget *box) const;
    bool isPatientBox(const QWidget *w) const;
    QWidget *boxForColumn(const QString &column) const;
    FieldBinding *bindingFor(const QWidget *box) const;

    QWidget *lastName() const { return m_ring.front(); }
    QComboBox *gender() const { return m_gender; }
    QLineEdit *testCode() const { return m_testCode; }
    QTableView *testGrid() const { return m_grid; }
    TestListModel *testList() const { return m_testList; }
    // The default button behind the panel that takes Enter wherever the focus is.
    QPushButton *defaultButton() const { return m_default; }
    QLabel *banner() const { return m_banner; }

private:
    Cursor &m_patients;
    Cursor &m_tests;
    QList<QWidget *> m_ring;
    QList<Kind> m_kinds;
    QList<FieldBinding *> m_bindings;
    QComboBox *m_gender = nullptr;
    QLineEdit *m_testCode = nullptr;
    QTableView *m_grid = nullptr;
    TestListModel *m_testList = nullptr;
    QPushButton *m_default = nullptr;
    QLabel *m_banner = nullptr;
};

} // namespace Tabrix
