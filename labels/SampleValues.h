#pragma once
#include "labels/Template.h"

#include <QStringList>

namespace Tabrix {

// The sample record of the template editor's test print: lines NAME=VALUE, from
// the sample values file when it can be read, else built in (dates and times from
// the clock, read afresh for each entry).
class SampleValues {
public:
    static SampleValues Load(const QString &sampleFile);
    static SampleValues BuiltIn();
    explicit SampleValues(QStringList lines) : m_lines(std::move(lines)) {}

    // The value of the first line named `name` (without regard to case), or "".
    QString value(const QString &name) const;
    const QStringList &lines() const { return m_lines; }

    // A tag filled from the samples: its Name's sample (or the Name itself when
    // there is none), formatted by Format when it reads as a date, cut to Length.
    QString TagValue(const TagParams &params) const;

private:
    QStringList m_lines;
};

} // namespace Tabrix
