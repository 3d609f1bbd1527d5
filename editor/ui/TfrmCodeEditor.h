#pragma once
#include "labels/SampleValues.h"

#include <QDialog>
#include <QSqlDatabase>

class QAction;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QPushButton;
class QToolBar;
class QToolButton;

namespace Tabrix {

class Station;

class LabelDrawer;
class LabelPictures;
class TemplateHighlighter;

// The template editor: edits the printer definition with field and character
// menus, colours its markup, test-prints it from sample values and captures a
// label sent over the network. OK saves the printer definition file. A test
// print has its row in the print ledger of `ledgerRegister`, when it has one.
class TfrmCodeEditor : public QDialog {
    Q_OBJECT
public:
    // `station`: its printer definition, sample values, settings and print wait;
    // `ledgerRegister`: where the test print's ledger row goes.
    explicit TfrmCodeEditor(const Station &station, QWidget *parent = nullptr,
                            const QSqlDatabase &ledgerRegister = QSqlDatabase());
    ~TfrmCodeEditor() override;

    // The editor text with CR LF line breaks, as it is saved.
    QString text() const;
    void setText(const QString &text);
    const SampleValues &samples() const { return SampleValues1; }
    bool colorize() const;

signals:
    // F1: the program's help, which the shell shows.
    void helpRequested();

public slots:
    void reject() override; // Escape asks before closing

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void tbNewClick();
    void tbOpenClick();
    void tbSaveClick();
    void tbTestPrintClick();
    void tbListenClick();
    void btnOKClick();
    void btnCancelClick();
    void Colorize1Click();
    void CheckLayout1Click();
    void buildMenus();
    QMenu *fieldMenu(QWidget *parent, bool database);
    QMenu *charMenu(QWidget *parent);
    void FieldtemClick(QAction *item);
    void RichEdit1Change();
    void RichEdit1SelectionChange();
    void FormCreate();
    // The test label's bytes from the editor text and the sample values.
    QByteArray testLabel() const;
    void showPreview(bool on);
    void makeRoomForPreview();
    void refreshPreview();

    QPlainTextEdit *RichEdit1;
    QToolBar *ToolBar1;
    QAction *tbNew, *tbOpen, *tbSave, *tbCut, *tbCopy, *tbPaste, *tbTestPrint, *tbField, *tbChar, *tbListen;
    QAction *New1, *Open1, *Save1, *TestPrint1, *Import1, *Exit1;
    QAction *Cut1, *Copy1, *Paste1, *SelectAll1, *Colorize1;
    QMenu *menuFields, *menuChars;
    QPushButton *btnOK, *btnCancel;
    SampleValues SampleValues1{QStringList()};
    TemplateHighlighter *m_highlighter;
    LabelPictures *m_preview;
    QSplitter *m_panes;
    QAction *m_previewItem;
    QTimer *m_previewPause;
    LabelDrawer *m_drawer;
    const Station &m_station;
    QSqlDatabase m_ledgerRegister;
    bool m_closingFromTitleBar = true;
};

} // namespace Tabrix
