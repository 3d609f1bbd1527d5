#pragma once
#include "labels/PrintRun.h"

#include <QDialog>

class QPushButton;

namespace Tabrix {

class LabelPictures;
class RecordLifecycle;
class RecordStore;

// The labels that Print would send for the current record, one picture per test
// with its accession number and test code; Print prints them as Print does.
class TfrmLabelPreview : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLabelPreview(QWidget *parent = nullptr);
    void showLabels(const QList<RecordLabel> &labels);

private:
    LabelPictures *m_pictures;
    QPushButton *m_print, *m_close;
};

// Record > Preview Labels: saves the record as Print does, then shows its labels;
// true when the user chose to print them.
bool PreviewLabels1Click(QWidget *parent, const PrinterDefinition &definition, RecordLifecycle &lifecycle,
                         RecordStore &store);

} // namespace Tabrix
