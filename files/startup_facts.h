// What the program finds out about the machine at start-up; not stored.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct TStartupFacts {
    int32_t localeId = 1033;     // the user's locale as a Windows locale number
    int32_t codePage = 1252;     // its code page
    int32_t languageClass = 2;   // 0 Japanese, 1 Korean, 2 anything else
    int32_t osVersion = 0;       // kernel major × 100 + minor
    int64_t counterFrequency = 1000000000; // ticks per second of the steady clock
    double processorClock = 0;   // Hz
    int32_t monitorCount = 1;    // the GUI corrects it
    int32_t screenWidth = 0;     // 0 until the GUI knows
    int32_t screenHeight = 0;
    std::string programFolder;
    std::string programFile;
    std::string tempFolder;
};

// The language class of a locale and code page: 0 for 932 or 1041, 1 for 949 or 1042, else 2.
int32_t languageClassOf(int32_t localeId, int32_t codePage);
// The locale and code page a POSIX locale name ("ja_JP.UTF-8") stands for.
void localeFromName(const std::string& name, int32_t& localeId, int32_t& codePage);
// Gathers the facts of this process (measuring the processor clock takes 100 ms).
TStartupFacts gatherStartupFacts(bool measureClock = true);

} // namespace qm
