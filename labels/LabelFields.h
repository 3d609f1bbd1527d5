#pragma once
#include "labels/Template.h"

namespace Tabrix {

class Registration;

// The value of one label tag, from a registration and one of its tests: Name (which value, without regard to case), Length (the most characters,
// 40 unless given), Format (for dates). TESTCODE and TESTCODE2 split a long test
// code at its last comma that fits; AGE is never cut; a tag that cannot be
// filled prints "?????".
// STATIONID is `stationID`, the station's name.
QString PageProducer1HTMLTag(const Registration &record, const QString &testCode, const QString &stationID,
                             const TagParams &params);

} // namespace Tabrix
