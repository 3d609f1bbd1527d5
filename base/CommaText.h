#pragma once
#include <QStringList>

namespace Tabrix {

// Items joined by "," without spaces; an item holding a character up to 32, a
// double quote or a comma is written between double quotes, its quotes doubled.
// One empty item is written `""`; no items give an empty text.
QString CommaText(const QStringList &items);

} // namespace Tabrix
