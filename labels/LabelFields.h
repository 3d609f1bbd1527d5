#pragma once
#include "labels/Template.h"

namespace Tabrix {

class Cursor;

// The value of one label tag, from the current patient record and its current
// test: Name (which value, without regard to case), Length (the most characters,
// 40 unless given), Format (for dates). TESTCODE and TESTCODE2 split a long test
// code at its last comma that fits; AGE is never cut; a tag that cannot be
// filled prints "?????".
QString PageProducer1HTMLTag(const Cursor &patients, const Cursor &tests, const TagParams &params);

} // namespace Tabrix
