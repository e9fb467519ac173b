// User-visible texts as data: every text has four variants chosen by the
// language index at the point of use (1 French, 2 Italian, 3 Spanish, any
// other value the default). Each subsystem keeps its own table of Text values.
#pragma once

#include <string>

struct Text {
    const char* def;  // default variant (English for log lines and messages)
    const char* fr;
    const char* it;
    const char* es;

    const char* Pick(int language) const {
        switch (language) {
        case 1: return fr;
        case 2: return it;
        case 3: return es;
        default: return def;
        }
    }
};

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
