#include "base/InfoOptions.h"

#include <cstdio>
#include <cstring>

namespace Tabrix {

std::optional<int> AnswerInfoOptions(int argc, char **argv, const char *program, const char *usage)
{
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", program, TABRIX_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace Tabrix
