// A map from 32-bit keys to 32-bit values.
#pragma once

#include <cstdint>
#include <unordered_map>

namespace qm {

class CMapDD {
public:
    void SetAt(uint32_t key, uint32_t value) { map_[key] = value; }
    // True and the value when the key is present.
    bool Lookup(uint32_t key, uint32_t& value) const
    {
        const auto it = map_.find(key);
        if (it == map_.end())
            return false;
        value = it->second;
        return true;
    }
    bool RemoveKey(uint32_t key) { return map_.erase(key) > 0; }
    void RemoveAll() { map_.clear(); }
    size_t count() const { return map_.size(); }

private:
    std::unordered_map<uint32_t, uint32_t> map_;
};

} // namespace qm
