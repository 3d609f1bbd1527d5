#pragma once
#include "register/RegistrationFinder.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace Tabrix {

class RecordLifecycle;
class RecordStore;

// Record > Find…: one box for an accession number in either form, a patient id or
// the start of a name ("DOE, J"). Return makes the first match the current record,
// each further Return the next; a box below says what was found, or that nothing was.
class TfrmFind : public QDialog {
    Q_OBJECT
public:
    TfrmFind(RecordLifecycle &lifecycle, RecordStore &store, QWidget *parent = nullptr);

private:
    void findNext();

    RecordLifecycle &m_lifecycle;
    RecordStore &m_store;
    RegistrationFinder m_finder;
    QLineEdit *FindText;
    QLabel *FindStatus;
    QPushButton *FindNext;
};

} // namespace Tabrix
