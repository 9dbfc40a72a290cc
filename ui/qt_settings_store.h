// The settings of the program in QSettings: organisation "Hollowpine", application
// "Quillmere3 Plus"; each section is a group ("window/docking" nests).
#pragma once

#include "files/settings_store.h"

#include <QSettings>

#include <memory>

namespace qm::ui {

class TQtSettingsStore : public SettingsStore {
public:
    static constexpr const char* kOrganisation = "Hollowpine";
    static constexpr const char* kApplication = "Quillmere3 Plus";

    TQtSettingsStore();
    // A store in a given file (tests).
    explicit TQtSettingsStore(const QString& iniPath);

    bool readInt(const std::string& section, const std::string& name, int32_t& value) const override;
    bool readBool(const std::string& section, const std::string& name, bool& value) const override;
    bool readFloat(const std::string& section, const std::string& name, float& value) const override;
    bool readText(const std::string& section, const std::string& name, std::string& value) const override;
    bool writeInt(const std::string& section, const std::string& name, int32_t value) override;
    bool writeBool(const std::string& section, const std::string& name, bool value) override;
    bool writeFloat(const std::string& section, const std::string& name, float value) override;
    bool writeText(const std::string& section, const std::string& name, const std::string& value) override;

    // Writes everything out now; false when the store cannot be written.
    bool flush();
    QSettings& settings() { return *settings_; }

private:
    QVariant read(const std::string& section, const std::string& name) const;
    bool write(const std::string& section, const std::string& name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

} // namespace qm::ui
