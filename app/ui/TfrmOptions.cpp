#include "app/ui/TfrmOptions.h"
#include "base/LabelCharacters.h"
#include "base/Prompter.h"
#include "register/Station.h"
#include "base/ui/InputRules.h"
#include "base/ui/UpperCaseValidator.h"
#include "register/SQUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace Tabrix {

namespace {

// The print wait: 0 to 10000 ms; a value typed outside comes back into the range
// when the box is left, and a text that is no number counts as 0.
class PrintWaitBox : public QSpinBox {
public:
    explicit PrintWaitBox(QWidget *parent) : QSpinBox(parent)
    {
        setRange(0, 10000);
        setSingleStep(1);
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    }
    QValidator::State validate(QString &text, int &) const override
    {
        bool number = false;
        const int n = text.toInt(&number);
        return number && n >= minimum() && n <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    }
    void fixup(QString &text) const override
    {
        bool number = false;
        const int n = text.toInt(&number);
        text = QString::number(number ? std::clamp(n, minimum(), maximum()) : 0);
    }
    int valueFromText(const QString &text) const override
    {
        QString t = text;
        fixup(t);
        return t.toInt();
    }
};

} // namespace

TfrmOptions::TfrmOptions(Station &station, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_station(station)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Program Options"));
    PageControl1 = new QTabWidget(this);

    auto *general = new QWidget;
    auto *generalLayout = new QVBoxLayout(general);
    const auto group = [&](const char *title) {
        auto *box = new QGroupBox(QString::fromLatin1(title), general);
        generalLayout->addWidget(box);
        return new QFormLayout(box);
    };
    QFormLayout *stationGroup = group("Station");
    eStationID = new QLineEdit;
    eStationID->setMaxLength(20);
    stationGroup->addRow(QStringLiteral("Station ID:"), eStationID);
    cbShowSplash = new QCheckBox(QStringLiteral("Show Splash Screen"));
    stationGroup->addRow(cbShowSplash);
    QFormLayout *defaults = group("Field Defaults");
    eLocation = new QLineEdit;
    eLocation->setMaxLength(20);
    defaults->addRow(QStringLiteral("Location:"), eLocation);
    cbSex = new QComboBox;
    cbSex->setEditable(true);
    cbSex->addItems({QStringLiteral("M"), QStringLiteral("F")});
    defaults->addRow(QStringLiteral("Sex:"), cbSex);
    QFormLayout *other = group("Other Parameters");
    eChars = new QLineEdit;
    other->addRow(QStringLiteral("Illegal Characters:"), eChars);
    sePrintWait = new PrintWaitBox(nullptr);
    other->addRow(QStringLiteral("Print wait interval (ms):"), sePrintWait);
    cbVerifyLabels = new QCheckBox(QStringLiteral("Read barcodes back before printing"));
    other->addRow(cbVerifyLabels);
    PageControl1->addTab(general, QStringLiteral("General"));

    auto *range = new QWidget;
    auto *rangeLayout = new QVBoxLayout(range);
    auto *note = new QLabel(QStringLiteral("The accession number range needs to be obtained from your computer coordinator."));
    note->setObjectName(QStringLiteral("lblRangeNote"));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    rangeLayout->addWidget(note);
    auto *ends = new QHBoxLayout;
    auto *upper = new UpperCaseValidator(this);
    eAccnMin = new QLineEdit;
    eAccnMax = new QLineEdit;
    for (QLineEdit *e : {eAccnMin, eAccnMax}) {
        e->setMaxLength(6); // a letter and five digits
        e->setValidator(upper);
    }
    auto *to = new QLabel(QStringLiteral("to"));
    QFont bold = to->font();
    bold.setBold(true);
    to->setFont(bold);
    ends->addWidget(eAccnMin);
    ends->addWidget(to);
    ends->addWidget(eAccnMax);
    rangeLayout->addLayout(ends);
    rangeLayout->addStretch(1);
    PageControl1->addTab(range, QStringLiteral("Accn Range"));

    auto *bar = new QWidget(this);
    bar->setAutoFillBackground(true);
    QPalette black = bar->palette();
    black.setColor(QPalette::Window, Qt::black);
    bar->setPalette(black);
    auto *buttons = new QHBoxLayout(bar);
    buttons->addStretch(1);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), bar);
    btnOK = new QPushButton(QStringLiteral("Done"), bar);
    btnOK->setDefault(true);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnOK);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(bar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const std::pair<QWidget *, const char *> names[] = {
        {eStationID, "eStationID"}, {eLocation, "eLocation"}, {eChars, "eChars"}, {eAccnMin, "eAccnMin"},
        {eAccnMax, "eAccnMax"}, {cbShowSplash, "cbShowSplash"}, {cbSex, "cbSex"}, {sePrintWait, "sePrintWait"},
        {cbVerifyLabels, "cbVerifyLabels"}, {btnCancel, "btnCancel"}, {btnOK, "btnOK"}, {PageControl1, "PageControl1"}};
    for (const auto &[w, name] : names)
        w->setObjectName(QString::fromLatin1(name));

    // The buttons come first, so Done has the focus when the dialog opens.
    setTabOrder(btnCancel, btnOK);
    setTabOrder(btnOK, PageControl1);
    setTabOrder(PageControl1, eStationID);
    setTabOrder(eStationID, cbShowSplash);
    setTabOrder(cbShowSplash, eLocation);
    setTabOrder(eLocation, cbSex);
    setTabOrder(cbSex, eChars);
    setTabOrder(eChars, sePrintWait);
    setTabOrder(sePrintWait, cbVerifyLabels);
    btnOK->setFocus();

    eStationID->installEventFilter(this);
    eLocation->installEventFilter(this);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOKClick(); }); });
    FormCreate();
}

void TfrmOptions::FormCreate()
{
    const StationSettings &s = m_station.settings();
    eStationID->setText(s.StationID);
    eLocation->setText(s.Location);
    cbSex->setEditText(QString(s.Gender));
    eChars->setText(s.IllegalChars);
    eAccnMin->setText(AccnNumToStr(s.TAccn.MinValue));
    eAccnMax->setText(AccnNumToStr(s.TAccn.MaxValue));
    cbShowSplash->setChecked(s.ShowSplash);
    sePrintWait->setValue(s.PrinterWait);
    cbVerifyLabels->setChecked(s.VerifyLabels);
}

// Station ID and Location refuse a character of the illegal characters box, as it stands now.
bool TfrmOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == eStationID || watched == eLocation)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (IsRefusedCharacter(key, eChars->text()))
            return true;
        // Both reach the labels (the location through every new record): what a
        // label cannot carry is said at the box and not taken.
        if (!key->text().isEmpty() && key->text().front().isPrint()
            && !CharactersLabelsCannotCarry(key->text(), ValueBytesFor(m_station.settings().LabelUTF8)).isEmpty()) {
            auto *box = static_cast<QWidget *>(watched);
            QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())),
                               QStringLiteral("%1 cannot be printed on this station's labels.").arg(key->text()), box);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::btnOKClick()
{
    const qint32 min = AccnStrToNum(eAccnMin->text());
    const qint32 max = AccnStrToNum(eAccnMax->text());
    if (!IsAccnRange(min, max)) {
        ShowError(QStringLiteral("Please enter a valid Range"));
        PageControl1->setCurrentIndex(1);
        eAccnMin->setFocus();
        return;
    }
    accept();
}

void TfrmOptions::FormClose()
{
    StationSettings edited = m_station.settings();
    edited.TAccn.MinValue = AccnStrToNum(eAccnMin->text());
    edited.TAccn.MaxValue = AccnStrToNum(eAccnMax->text());
    edited.Location = eLocation->text();
    if (!cbSex->currentText().isEmpty()) // an empty box keeps the gender in force
        edited.Gender = cbSex->currentText().front();
    edited.StationID = eStationID->text();
    edited.IllegalChars = eChars->text();
    edited.ShowSplash = cbShowSplash->isChecked();
    edited.PrinterWait = sePrintWait->value();
    edited.VerifyLabels = cbVerifyLabels->isChecked();
    m_station.apply(edited);
}

} // namespace Tabrix
