#include "files/startup_facts.h"

#include "files/processor_clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/utsname.h>

namespace qm {

int32_t languageClassOf(int32_t localeId, int32_t codePage)
{
    if (codePage == 932 || localeId == 1041)
        return 0;
    if (codePage == 949 || localeId == 1042)
        return 1;
    return 2;
}

void localeFromName(const std::string& name, int32_t& localeId, int32_t& codePage)
{
    if (name.rfind("ja", 0) == 0) {
        localeId = 1041;
        codePage = 932;
    } else if (name.rfind("ko", 0) == 0) {
        localeId = 1042;
        codePage = 949;
    } else {
        localeId = 1033;
        codePage = 1252;
    }
}

TStartupFacts gatherStartupFacts(bool measureClock)
{
    TStartupFacts facts;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            localeFromName(value, facts.localeId, facts.codePage);
            break;
        }
    }
    facts.languageClass = languageClassOf(facts.localeId, facts.codePage);
    utsname system{};
    if (uname(&system) == 0) {
        int major = 0, minor = 0;
        if (std::sscanf(system.release, "%d.%d", &major, &minor) >= 1)
            facts.osVersion = major * 100 + minor;
    }
    using period = std::chrono::steady_clock::period;
    facts.counterFrequency = int64_t(period::den / period::num);
    if (measureClock)
        facts.processorClock = measureProcessorClock(100);
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        facts.programFolder = exe.parent_path().string();
        facts.programFile = exe.filename().string();
    }
    const char* tmp = std::getenv("TMPDIR");
    facts.tempFolder = tmp && *tmp ? tmp : std::filesystem::temp_directory_path(error).string();
    return facts;
}

} // namespace qm
