// The real executable in render mode, and a reader of the 24-bit BMP it writes that works
// from the file layout itself rather than the program's own reader.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace qm::ui::test {

// A picture read from a 24-bit BMP by the file layout itself: the 14-byte file header (the
// pixels' offset at 10), the 40-byte information header (width at 18, height at 22, positive
// for bottom-up rows, bit count at 28, compression at 30), then rows of B, G, R bytes padded
// to a multiple of four. Pixels come back as 0x00RRGGBB; empty when the file is not that.
struct TBmp24 {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline TBmp24 readBmp24(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    auto u8 = [&](int at) { return uint32_t(uint8_t(bytes[at])); };
    auto u16 = [&](int at) { return u8(at) | u8(at + 1) << 8; };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || u16(28) != 24 || u32(30) != 0)
        return {};
    const int width = int(u32(18)), height = int(u32(22));
    const qsizetype offset = qsizetype(u32(10));
    const qsizetype stride = (qsizetype(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || offset + stride * height > bytes.size())
        return {};
    TBmp24 bmp{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y) {
        const int from = int(offset + stride * (height - 1 - y)); // bottom-up
        for (int x = 0; x < width; ++x) {
            const int p = from + x * 3;
            bmp.pixels[size_t(y) * size_t(width) + size_t(x)] = u8(p) | u8(p + 1) << 8 | u8(p + 2) << 16;
        }
    }
    return bmp;
}


// Runs `quillmere -render -O<folder>/ <recording>` with its own settings file; the exit code,
// or -1 when it did not finish. What it said on standard error goes to `said`.
inline int renderRecording(const QString& recording, const QString& folder,
                           const QString& settingsFile, std::string& said)
{
    QDir().mkpath(folder);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_SETTINGS_FILE"), settingsFile);
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(QUILLMERE_EXECUTABLE),
              {QStringLiteral("-render"), QStringLiteral("-O") + folder + QLatin1Char('/'), recording});
    if (!run.waitForFinished(120000))
        return -1;
    said = run.readAllStandardError().toStdString();
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
}

} // namespace qm::ui::test
