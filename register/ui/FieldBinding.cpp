#include "register/ui/FieldBinding.h"
#include "base/Prompter.h"
#include "register/Cursor.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace Tabrix {

FieldBinding::FieldBinding(QWidget *control, Cursor &cursor, QString column)
    : QObject(control), m_cursor(cursor), m_column(std::move(column))
{
    control->installEventFilter(this);
    connect(&cursor, &Cursor::dataChanged, this, &FieldBinding::show);
    connect(&cursor, &Cursor::fieldChanged, this, [this](const QString &name) {
        if (name.compare(m_column, Qt::CaseInsensitive) == 0)
            show();
    });
}

FieldBinding::FieldBinding(QLineEdit *edit, Cursor &cursor, QString column)
    : FieldBinding(static_cast<QWidget *>(edit), cursor, std::move(column))
{
    m_edit = edit;
    // Text that arrives without a key press (a paste from the context menu).
    connect(edit, &QLineEdit::textEdited, this, [this](const QString &typed) {
        if (m_cursor.editing() || !m_cursor.active())
            return;
        const int pos = m_edit->cursorPosition();
        startEdit();
        m_edit->setText(typed);
        m_edit->setCursorPosition(pos);
    });
}

FieldBinding::FieldBinding(QComboBox *combo, Cursor &cursor, QString column)
    : FieldBinding(static_cast<QWidget *>(combo), cursor, std::move(column))
{
    m_combo = combo;
    connect(combo, &QComboBox::currentIndexChanged, this, [this] {
        if (m_showing || !m_cursor.active())
            return;
        const QString chosen = m_combo->currentText();
        startEdit();
        if (m_cursor.editing())
            RunGuarded([&] { m_cursor.setValue(m_column, chosen); });
    });
}

QWidget *FieldBinding::control() const
{
    return m_edit ? static_cast<QWidget *>(m_edit) : m_combo;
}

QString FieldBinding::text() const
{
    return m_edit ? m_edit->text() : m_combo->currentText();
}

void FieldBinding::show()
{
    const QString value = m_cursor.active() ? m_cursor.asString(m_column) : QString();
    m_showing = true;
    if (m_edit) {
        if (m_edit->text() != value)
            m_edit->setText(value);
    } else {
        m_combo->setCurrentIndex(m_combo->findText(value));
    }
    m_showing = false;
}

void FieldBinding::startEdit()
{
    if (!m_cursor.editing())
        RunGuarded([this] { m_cursor.Edit(); }); // a new row instead when the table has none
}

void FieldBinding::store()
{
    if (!m_cursor.editing())
        return;
    if (m_cursor.asString(m_column) != text())
        m_cursor.setValue(m_column, text());
}

bool FieldBinding::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == control()) {
        if (event->type() == QEvent::KeyPress && m_edit) {
            // A key that will change the text puts the row into Edit before it lands.
            auto *key = static_cast<QKeyEvent *>(event);
            const bool changes = !key->text().isEmpty() && key->text().front().isPrint()
                                 || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete
                                 || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut);
            if (changes && m_cursor.active() && !m_edit->isReadOnly())
                startEdit();
        } else if (event->type() == QEvent::FocusOut) {
            RunGuarded([this] { store(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Tabrix
