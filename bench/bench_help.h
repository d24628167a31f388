#pragma once

#include <cstdio>
#include <cstring>

namespace lexivoce::bench {

// Prints text and returns true when the arguments ask for --help (or -h):
// a benchmark then ends instead of running.
inline bool AnswerHelp(int argc, char **argv, const char *text)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(text, stdout);
            return true;
        }
    }
    return false;
}

} // namespace lexivoce::bench
