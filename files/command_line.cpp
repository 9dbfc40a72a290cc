#include "files/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace qm {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool parseInt(const std::string& text, int32_t& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

} // namespace

TCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    TCommandLine line;
    for (const std::string& arg : args) {
        // On this system an absolute path begins with "/": only "-" introduces a switch.
        if (arg.size() < 2 || arg[0] != '-') {
            line.files.push_back(arg);
            continue;
        }
        const std::string body = arg.substr(arg[1] == '-' ? 2 : 1);
        const std::string word = lower(body);
        const char first = word.empty() ? '\0' : word[0];
        if (word == "render") {
            line.render = true, line.viewer = false;
        } else if (word == "viewer") {
            line.render = line.viewer = true;
        } else if (word == "export") {
            line.exportMode = true;
        } else if (word == "help" || word == "h") {
            line.help = true;
        } else if (word == "version") {
            line.version = true;
        } else if (first == 'o') {
            line.outputFolder = body.substr(1);
        } else if (first == 'w' && parseInt(body.substr(1), line.reportFd)) {
        } else if (first == 't' && parseInt(body.substr(1), line.holdSeconds)) {
        } else if (first == 'x' && body.size() > 1) {
            line.exportExtension = lower(body.substr(1));
            if (line.exportExtension[0] == '.')
                line.exportExtension.erase(0, 1);
        } else {
            line.unknownSwitches.push_back(arg);
        }
    }
    return line;
}

TFileKind fileKindOf(const std::string& path)
{
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext == ".vkb") return TFileKind::legacyPaper;
    if (ext == ".vke") return TFileKind::legacyEvents;
    if (ext == ".qmp") return TFileKind::paper;
    if (ext == ".qme") return TFileKind::events21;
    if (ext == ".qm3" || ext == ".zx3") return TFileKind::events3;
    if (ext == ".bmp") return TFileKind::bmp;
    if (ext == ".jpg") return TFileKind::jpeg;
    if (ext == ".png") return TFileKind::png;
    if (ext == ".psd") return TFileKind::psd;
    if (ext == ".ora") return TFileKind::ora;
    return TFileKind::unknown;
}

} // namespace qm
