#include "labels/ui/LabelPictures.h"
#include "labels/preview/LabelVerification.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

namespace Tabrix {

LabelPictures::LabelPictures(QWidget *parent)
    : QScrollArea(parent), m_inner(new QWidget), m_column(new QVBoxLayout(m_inner))
{
    setObjectName(QStringLiteral("LabelPictures"));
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setBackgroundRole(QPalette::Mid);
    m_column->addStretch(1);
    setWidget(m_inner);
}

void LabelPictures::clear()
{
    while (m_column->count() > 1) {
        QLayoutItem *item = m_column->takeAt(0);
        delete item->widget();
        delete item;
    }
    m_pictures = 0;
}

void LabelPictures::showMessage(const QString &text)
{
    clear();
    auto *note = new QLabel(text, m_inner);
    note->setWordWrap(true);
    m_column->insertWidget(0, note);
}

void LabelPictures::showPreview(const LabelPreview &preview, const QStringList &captions)
{
    if (!preview.error.isEmpty()) {
        showMessage(preview.error);
        return;
    }
    clear();
    int at = 0;
    for (int i = 0; i < preview.labels.size(); ++i) {
        const LabelPicture &label = preview.labels[i];
        auto *picture = new QLabel(m_inner);
        picture->setPixmap(QPixmap::fromImage(label.image));
        picture->setFrameStyle(QFrame::Box | QFrame::Plain);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_column->insertWidget(at++, picture);
        QStringList lines;
        if (i < captions.size())
            lines << captions[i];
        if (label.copies > 1)
            lines << QStringLiteral("%1 copies").arg(label.copies);
        for (const QString &what : label.notShown)
            lines << QStringLiteral("not shown: %1").arg(what);
        // What the check before a print would find.
        const bool barcodes = std::any_of(label.fields.begin(), label.fields.end(),
                                          [](const DrawnField &f) { return f.kind == DrawnField::Barcode; });
        if (const LabelVerdict verdict = VerifyPicture(label); verdict.result == LabelVerdict::DoesNotRead)
            lines << verdict.why();
        else if (barcodes)
            lines << QStringLiteral("every barcode reads back");
        if (!lines.isEmpty()) {
            auto *caption = new QLabel(lines.join(u'\n'), m_inner);
            caption->setObjectName(QStringLiteral("caption"));
            m_column->insertWidget(at++, caption);
        }
        ++m_pictures;
    }
}

QString LabelPictures::texts() const
{
    QStringList all;
    for (const QLabel *l : m_inner->findChildren<QLabel *>())
        if (!l->text().isEmpty())
            all << l->text();
    return all.join(u'\n');
}

} // namespace Tabrix
