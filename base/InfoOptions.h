#pragma once
#include <optional>

namespace Tabrix {

// --help and --version, answered before anything else starts (no window, no
// register): the program's usage or its name and version on standard output. The
// exit status to end with, or none when the arguments ask for neither.
std::optional<int> AnswerInfoOptions(int argc, char **argv, const char *program, const char *usage);

} // namespace Tabrix
