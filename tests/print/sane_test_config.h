// A private SANE configuration holding only the "test" backend, for the scanning tests. SANE
// reads its configuration when a session starts, so write it before creating the session.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <dlfcn.h>
#include <sane/sane.h>
#include <unistd.h>

namespace qm::test {

// SANE's test backend keeps some of its read buffers until the process ends, and SANE unloads
// it at every session's end, after which a leak checker can no longer say whose they are.
// Kept loaded, they are named, and the sanitizer run's suppressions know them.
inline void keepSaneTestBackendLoaded()
{
    static const bool kept = [] {
        Dl_info info{};
        if (::dladdr(reinterpret_cast<void*>(&sane_init), &info) == 0 || !info.dli_fname)
            return false;
        const std::filesystem::path backend =
            std::filesystem::path(info.dli_fname).parent_path() / "sane" / "libsane-test.so.1";
        return ::dlopen(backend.c_str(), RTLD_LAZY | RTLD_NODELETE) != nullptr;
    }();
    (void)kept;
}

class TSaneTestConfig {
  public:
    TSaneTestConfig()
        : folder_(std::filesystem::temp_directory_path() /
                  ("quillmere_sane_" + std::to_string(::getpid())))
    {
        keepSaneTestBackendLoaded();
        std::filesystem::create_directories(folder_);
        // No trailing ':' so the system's folders are not read as well.
        ::setenv("SANE_CONFIG_DIR", folder_.c_str(), 1);
    }
    ~TSaneTestConfig()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        ::unsetenv("SANE_CONFIG_DIR");
    }

    // The test backend's options (see its test.conf), over these defaults: two devices, an
    // 80 × 100 mm flatbed grey scan of 8 bits at 50 dpi of a black picture.
    void write(const std::map<std::string, std::string>& changes = {}, bool withBackend = true)
    {
        // In the order of the backend's own file: ranges before the values inside them.
        std::vector<std::pair<std::string, std::string>> options = {
            {"number_of_devices", "2"},
            {"mode", "Gray"},
            {"depth", "8"},
            {"hand-scanner", "false"},
            {"three-pass", "false"},
            {"three-pass-order", "RGB"},
            {"resolution_min", "1.0"},
            {"resolution_max", "1200.0"},
            {"resolution_quant", "1.0"},
            {"resolution", "50.0"},
            {"test-picture", "\"Solid black\""},
            {"read-limit", "false"},
            {"read-limit-size", "1"},
            {"ppl-loss", "0"},
            {"geometry_min", "0.0"},
            {"geometry_max", "200.0"},
            {"geometry_quant", "1.0"},
            {"tl_x", "0.0"},
            {"tl_y", "0.0"},
            {"br_x", "80.0"},
            {"br_y", "100.0"}};
        for (auto& [name, value] : options)
            if (const auto changed = changes.find(name); changed != changes.end())
                value = changed->second;
        std::ofstream(folder_ / "dll.conf") << (withBackend ? "test\n" : "");
        std::ofstream conf(folder_ / "test.conf");
        for (const auto& [name, value] : options)
            conf << name << ' ' << value << '\n';
    }

  private:
    std::filesystem::path folder_;
};

} // namespace qm::test
