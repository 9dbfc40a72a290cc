#include "ui/qt_settings_store.h"

namespace qm::ui {

namespace {

QString keyOf(const std::string& section, const std::string& name)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

} // namespace

TQtSettingsStore::TQtSettingsStore()
    : settings_(std::make_unique<QSettings>(QString::fromLatin1(kOrganisation),
                                            QString::fromLatin1(kApplication)))
{
}

TQtSettingsStore::TQtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QVariant TQtSettingsStore::read(const std::string& section, const std::string& name) const
{
    return settings_->value(keyOf(section, name));
}

bool TQtSettingsStore::write(const std::string& section, const std::string& name,
                             const QVariant& value)
{
    settings_->setValue(keyOf(section, name), value);
    return settings_->status() == QSettings::NoError;
}

// The file keeps every value as text; a value that does not read as the type asked for is
// treated as absent, as a value of another type would be.
bool TQtSettingsStore::readInt(const std::string& s, const std::string& n, int32_t& value) const
{
    const QVariant v = read(s, n);
    bool ok = false;
    const int32_t parsed = v.toInt(&ok);
    if (!v.isValid() || !ok)
        return false;
    value = parsed;
    return true;
}

bool TQtSettingsStore::readBool(const std::string& s, const std::string& n, bool& value) const
{
    const QVariant v = read(s, n);
    if (v.typeId() == QMetaType::Bool) {
        value = v.toBool();
        return true;
    }
    const QString text = v.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false")) {
        value = text == QLatin1String("true");
        return true;
    }
    return false;
}

bool TQtSettingsStore::readFloat(const std::string& s, const std::string& n, float& value) const
{
    const QVariant v = read(s, n);
    bool ok = false;
    const float parsed = v.toFloat(&ok);
    if (!v.isValid() || !ok)
        return false;
    value = parsed;
    return true;
}

bool TQtSettingsStore::readText(const std::string& s, const std::string& n, std::string& value) const
{
    const QVariant v = read(s, n);
    if (!v.isValid())
        return false;
    value = v.toString().toStdString();
    return true;
}

bool TQtSettingsStore::writeInt(const std::string& s, const std::string& n, int32_t value)
{
    return write(s, n, value);
}

bool TQtSettingsStore::writeBool(const std::string& s, const std::string& n, bool value)
{
    return write(s, n, value);
}

bool TQtSettingsStore::writeFloat(const std::string& s, const std::string& n, float value)
{
    return write(s, n, value);
}

bool TQtSettingsStore::writeText(const std::string& s, const std::string& n, const std::string& value)
{
    return write(s, n, QString::fromStdString(value));
}

bool TQtSettingsStore::flush()
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace qm::ui
