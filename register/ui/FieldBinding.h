#pragma once
#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace Tabrix {

class Cursor;

// Binds an entry box (or a drop-down list) to a column of a cursor's current row:
// shows the column whenever the row changes, moves a saved row into Edit at the
// first typed change, and writes the box's text into the column when the box
// loses the focus (or when store() is called).
class FieldBinding : public QObject {
    Q_OBJECT
public:
    FieldBinding(QLineEdit *edit, Cursor &cursor, QString column);
    FieldBinding(QComboBox *combo, Cursor &cursor, QString column);

    QWidget *control() const;
    QString column() const { return m_column; }
    // Takes the box's text into the column, if the row is being edited.
    void store();
    void show();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What both kinds share: following the cursor's row and the column's changes.
    FieldBinding(QWidget *control, Cursor &cursor, QString column);
    void startEdit();
    QString text() const;

    QLineEdit *m_edit = nullptr;
    QComboBox *m_combo = nullptr;
    Cursor &m_cursor;
    QString m_column;
    bool m_showing = false;
};

} // namespace Tabrix
