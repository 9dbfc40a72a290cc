// Where settings live: typed values by section and name. A section may be nested
// ("window/docking", "penSetting/pen"). The application keeps them in QSettings; tests and
// headless runs keep them in memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace qm {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // False, with the value untouched, when it is absent or stored as another type.
    virtual bool readInt(const std::string& section, const std::string& name, int32_t& value) const = 0;
    virtual bool readBool(const std::string& section, const std::string& name, bool& value) const = 0;
    virtual bool readFloat(const std::string& section, const std::string& name, float& value) const = 0;
    virtual bool readText(const std::string& section, const std::string& name, std::string& value) const = 0;
    virtual bool writeInt(const std::string& section, const std::string& name, int32_t value) = 0;
    virtual bool writeBool(const std::string& section, const std::string& name, bool value) = 0;
    virtual bool writeFloat(const std::string& section, const std::string& name, float value) = 0;
    virtual bool writeText(const std::string& section, const std::string& name, const std::string& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    using Value = std::variant<int32_t, bool, float, std::string>;

    bool readInt(const std::string& s, const std::string& n, int32_t& v) const override { return get(s, n, v); }
    bool readBool(const std::string& s, const std::string& n, bool& v) const override { return get(s, n, v); }
    bool readFloat(const std::string& s, const std::string& n, float& v) const override { return get(s, n, v); }
    bool readText(const std::string& s, const std::string& n, std::string& v) const override { return get(s, n, v); }
    bool writeInt(const std::string& s, const std::string& n, int32_t v) override { return put(s, n, v); }
    bool writeBool(const std::string& s, const std::string& n, bool v) override { return put(s, n, v); }
    bool writeFloat(const std::string& s, const std::string& n, float v) override { return put(s, n, v); }
    bool writeText(const std::string& s, const std::string& n, const std::string& v) override { return put(s, n, v); }

    size_t size() const { return values_.size(); }
    bool contains(const std::string& section, const std::string& name) const
    {
        return values_.count({section, name}) > 0;
    }

private:
    template <typename T>
    bool get(const std::string& section, const std::string& name, T& value) const
    {
        const auto it = values_.find({section, name});
        if (it == values_.end() || !std::holds_alternative<T>(it->second))
            return false;
        value = std::get<T>(it->second);
        return true;
    }
    template <typename T>
    bool put(const std::string& section, const std::string& name, T value)
    {
        values_[{section, name}] = std::move(value);
        return true;
    }

    std::map<std::pair<std::string, std::string>, Value> values_;
};

} // namespace qm
