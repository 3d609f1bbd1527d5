#include "labels/preview/LayoutCheck.h"
#include "base/Settings.h"
#include "labels/preview/LabelPreview.h"
#include "labels/preview/LabelVerification.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace Tabrix {

namespace {

// Clear space a scanner needs round a symbol, in modules: ten for bars, a
// matrix symbol's own standard's for the others.
int quietModules(Symbology s)
{
    switch (s) {
    case Symbology::QRCode: return 4;
    case Symbology::DataMatrix: return 1;
    case Symbology::PDF417: return 2;
    default: return 10;
    }
}

// Stands for every tag's value when the template is filled to tell fields from fixed text.
const QString TagMark = QStringLiteral("TABRIXTAGVALUE");

double mm(int dots, double dotsPerMm)
{
    return dots / dotsPerMm;
}

class Checker {
public:
    Checker(const LabelPicture &label, const LabelPicture &marked, const LayoutRules &rules, int number)
        : m_label(label), m_marked(marked), m_rules(rules), m_number(number)
    {
    }

    QList<LayoutFinding> run()
    {
        labelSize();
        for (const DrawnField &f : m_label.fields) {
            if (const QString edge = EdgePassed(f.bounds, m_label.image.rect()); !edge.isEmpty() && f.bounds.isValid())
                add(QStringLiteral("outside-label"), f.number,
                    QStringLiteral("Field %1 reaches past the label's %2 edge.").arg(f.number).arg(edge));
            if (f.kind == DrawnField::Barcode && f.error.isEmpty())
                barcode(f);
        }
        return m_findings;
    }

private:
    void add(const QString &rule, int field, const QString &sentence, bool error = true)
    {
        m_findings << LayoutFinding{rule, field, error, sentence, m_number};
    }

    void labelSize()
    {
        const int width = int(std::lround(m_rules.labelWidthMm * m_rules.dotsPerMm));
        const int height = int(std::lround(m_rules.labelHeightMm * m_rules.dotsPerMm));
        const QSize size = m_label.image.size();
        if (std::abs(size.width() - width) <= 1 && std::abs(size.height() - height) <= 1)
            return;
        add(QStringLiteral("label-size"), 0,
            QStringLiteral("The label is %1 x %2 mm (^PW%3, ^LL%4), but the station's label stock is %5 x %6 mm.")
                .arg(mm(size.width(), m_rules.dotsPerMm), 0, 'f', 1)
                .arg(mm(size.height(), m_rules.dotsPerMm), 0, 'f', 1)
                .arg(size.width())
                .arg(size.height())
                .arg(m_rules.labelWidthMm, 0, 'f', 1)
                .arg(m_rules.labelHeightMm, 0, 'f', 1),
            false);
    }

    void barcode(const DrawnField &b)
    {
        const QString which = QStringLiteral("The barcode of field %1").arg(b.number);
        if (b.linear && b.module < MinModuleDots)
            add(QStringLiteral("narrow-module"), b.number,
                QStringLiteral("%1 has bars %2 dot wide; a printer makes bars readable from %3 dots (^BY%3).")
                    .arg(which)
                    .arg(b.module)
                    .arg(MinModuleDots));
        const double minBar = m_rules.minBarHeightMm * m_rules.dotsPerMm;
        if (b.linear && b.barHeight < minBar - 0.5)
            add(QStringLiteral("short-bars"), b.number,
                QStringLiteral("%1 has bars %2 mm high (%3 dots); the station's analysers need %4 mm (%5 dots).")
                    .arg(which)
                    .arg(mm(b.barHeight, m_rules.dotsPerMm), 0, 'f', 1)
                    .arg(b.barHeight)
                    .arg(m_rules.minBarHeightMm, 0, 'f', 1)
                    .arg(int(std::ceil(minBar - 0.5))));
        QList<int> over;
        for (const DrawnField &other : m_label.fields)
            if (other.number != b.number && other.kind != DrawnField::Graphic && other.bounds.intersects(b.symbol)) {
                over << other.number;
                add(QStringLiteral("overlap"), b.number, QStringLiteral("%1 overlaps field %2.").arg(which).arg(other.number));
            }
        quietZone(b, which, over);
        const DrawnField *marked = fieldOf(m_marked, b.number);
        if (marked && !marked->data.contains(TagMark.toLatin1()))
            add(QStringLiteral("fixed-data"), b.number,
                QStringLiteral("%1 holds fixed text (\"%2\"), the same on every label, not a field tag.")
                    .arg(which, QString::fromLatin1(b.data)));
    }

    // Clear space round the symbol, inside the label and free of other fields
    // (those that overlap the symbol itself are said once, as overlapping).
    void quietZone(const DrawnField &b, const QString &which, const QList<int> &over)
    {
        const int q = quietModules(b.symbology), zone = q * std::max(b.module, 1);
        const QRect needed = b.linear ? b.symbol.adjusted(-zone, 0, zone, 0) : b.symbol.adjusted(-zone, -zone, zone, zone);
        QString why;
        if (const QString edge = EdgePassed(needed, m_label.image.rect()); !edge.isEmpty())
            why = QStringLiteral("the label's %1 edge").arg(edge);
        for (const DrawnField &other : m_label.fields)
            if (why.isEmpty() && other.number != b.number && other.kind != DrawnField::Graphic &&
                !over.contains(other.number) && other.bounds.intersects(needed))
                why = QStringLiteral("field %1").arg(other.number);
        if (!why.isEmpty())
            add(QStringLiteral("quiet-zone"), b.number,
                QStringLiteral("%1 has no quiet zone of %2 modules (%3 dots) round it: %4 comes closer.")
                    .arg(which)
                    .arg(q)
                    .arg(zone)
                    .arg(why));
    }

    static const DrawnField *fieldOf(const LabelPicture &picture, int number)
    {
        for (const DrawnField &f : picture.fields)
            if (f.number == number)
                return &f;
        return nullptr;
    }

    const LabelPicture &m_label, &m_marked;
    const LayoutRules &m_rules;
    const int m_number;
    QList<LayoutFinding> m_findings;
};

double millimetres(const QString &settingsFile, const Settings::Text &key)
{
    bool ok = false;
    const double v = key.read(settingsFile).trimmed().toDouble(&ok);
    return ok && v > 0 && v < 10000 ? v : key.defaultValue().toDouble();
}

} // namespace

LayoutRules LayoutRules::FromSettings(const QString &settingsFile)
{
    LayoutRules r;
    r.labelWidthMm = millimetres(settingsFile, Settings::LabelWidthMm);
    r.labelHeightMm = millimetres(settingsFile, Settings::LabelHeightMm);
    r.minBarHeightMm = millimetres(settingsFile, Settings::MinBarHeightMm);
    return r;
}

QString LayoutFinding::text() const
{
    const QString which = label > 1 ? QStringLiteral("label %1, ").arg(label) : QString();
    const QString where = field > 0 ? QStringLiteral(", field %1").arg(field) : QString();
    return QStringLiteral("%1%2%3%4: %5").arg(which, error ? QString() : QStringLiteral("(warning) "), rule, where, sentence);
}

QString LayoutFinding::json() const
{
    const QJsonObject o{{QStringLiteral("rule"), rule},
                        {QStringLiteral("field"), field},
                        {QStringLiteral("label"), label},
                        {QStringLiteral("severity"), error ? QStringLiteral("error") : QStringLiteral("warning")},
                        {QStringLiteral("message"), sentence}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QList<LayoutFinding> CheckLayout(const QStringList &templateLines, const TagHandler &fill, const LayoutRules &rules)
{
    PreviewOptions options;
    options.dotsPerMm = rules.dotsPerMm;
    const LabelPreview label = RenderLabels(RenderLabel(templateLines, fill), options);
    const LabelPreview marked =
        RenderLabels(RenderLabel(templateLines, [](const QString &, const TagParams &) { return TagMark; }), options);
    if (label.tooCostly || marked.tooCostly)
        return {LayoutFinding{QStringLiteral("too-costly"), 0, true, QStringLiteral("The label is too costly to draw.")}};
    QList<LayoutFinding> findings;
    for (qsizetype i = 0; i < label.labels.size() && i < marked.labels.size(); ++i)
        findings << Checker(label.labels[i], marked.labels[i], rules, int(i) + 1).run();
    return findings;
}

} // namespace Tabrix
