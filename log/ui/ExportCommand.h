#pragma once

namespace Tabrix {

class TfrmMain;

// File > Export: saves the record first, asks for a text file and writes the
// whole register to it, one line per patient.
void Export1Click(TfrmMain &main);

} // namespace Tabrix
