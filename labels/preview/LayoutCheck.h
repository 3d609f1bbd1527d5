#pragma once
#include "labels/Template.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Tabrix {

// What labels are held to: the label stock's size and the shortest bars an
// analyser's scanner takes (the station's settings), at the printer's dots per millimetre.
struct LayoutRules {
    double dotsPerMm = 8;
    double labelWidthMm = 50.8, labelHeightMm = 25.4;
    double minBarHeightMm = 10;
    static LayoutRules FromSettings(const QString &settingsFile);
};

// One thing wrong with a template's layout: which rule ("outside-label",
// "quiet-zone", "narrow-module", "short-bars", "overlap", "fixed-data",
// "label-size"; "too-costly" for labels too costly to draw), the field it is about (1 for the label's first; 0 for the label
// as a whole), whether it is an error, a sentence saying it, and which label of
// the template it is on (1 for the first).
struct LayoutFinding {
    QString rule;
    int field = 0;
    bool error = true;
    QString sentence;
    int label = 1;

    QString text() const; // "quiet-zone, field 3: ...", after "label 2, " on a later label
    QString json() const; // one line of JSON: {"field":...,"label":...,"message":...,"rule":...,"severity":...}
    bool operator==(const LayoutFinding &) const = default;
};

// The findings on the test labels a template makes with `fill`, label by label
// in the order of their fields; none for a template that is not ZPL. Raises what
// filling the template raises.
QList<LayoutFinding> CheckLayout(const QStringList &templateLines, const TagHandler &fill, const LayoutRules &rules);

} // namespace Tabrix
