#pragma once
#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace Tabrix {

// The help window: the local help page in a resizable window with a centred Done.
class TfrmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget *parent = nullptr);
    // Points the view at a local page; raises ETabrixError when it exists but cannot be read.
    void load(const QString &file);

private:
    QTextBrowser *WebBrowser1;
    QPushButton *btnOK;
};

// About > Help: the help page, or "Help is unavailable".
void Help1Click(QWidget *parent, const QString &helpFile);

} // namespace Tabrix
