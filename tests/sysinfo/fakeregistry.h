#pragma once

#include "platform/os/registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kalvor {

// An in-memory registry that behaves as Windows documents the three calls
// and records every call made to it.
class FakeRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type;
        std::string bytes;
    };
    struct Open {
        Handle root;
        std::string subKey;
        std::uint32_t options;
        std::uint32_t samDesired;
    };
    struct Query {
        Handle key;
        std::string valueName;
        std::uint32_t reserved;
        std::uint32_t cbDataIn;
        bool bufferZeroed;
    };

    static constexpr std::int32_t FileNotFound = 2;
    static constexpr std::int32_t AccessDenied = 5;
    static constexpr std::int32_t InvalidHandle = 6;
    static constexpr std::int32_t MoreData = 234;

    void set(Handle root, const std::string& key, const std::string& name, Value value)
    {
        keys_[{root, lower(key)}][lower(name)] = std::move(value);
    }
    void addKey(Handle root, const std::string& key) { keys_[{root, lower(key)}]; }
    // The rights the current user holds; opening with more is refused.
    void grant(std::uint32_t rights) { granted_ = rights; }

    std::vector<Open> opens;
    std::vector<Query> queries;
    std::vector<Handle> closes;
    std::set<Handle> openHandles;

    std::int32_t RegOpenKeyExA(Handle key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                               Handle& result) override
    {
        opens.push_back({key, subKey, options, samDesired});
        const auto found = keys_.find({key, lower(subKey)});
        if (found == keys_.end()) {
            return FileNotFound;
        }
        if ((samDesired & ~granted_) != 0) {
            return AccessDenied;
        }
        result = nextHandle_++;
        handleKeys_[result] = found->first;
        openHandles.insert(result);
        return 0;
    }

    std::int32_t RegQueryValueExA(Handle key, const std::string& valueName, std::uint32_t reserved, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& cbData) override
    {
        const bool zeroed = data != nullptr && std::all_of(data, data + cbData, [](std::uint8_t b) { return b == 0; });
        queries.push_back({key, valueName, reserved, cbData, zeroed});
        if (openHandles.count(key) == 0) {
            return InvalidHandle;
        }
        const auto& values = keys_.at(handleKeys_.at(key));
        const auto found = values.find(lower(valueName));
        if (found == values.end()) {
            return FileNotFound;
        }
        const auto size = static_cast<std::uint32_t>(found->second.bytes.size());
        type = found->second.type;
        if (size > cbData) {
            cbData = size;
            return MoreData;
        }
        std::memcpy(data, found->second.bytes.data(), size);
        cbData = size;
        return 0;
    }

    std::int32_t RegCloseKey(Handle key) override
    {
        closes.push_back(key);
        return openHandles.erase(key) == 1 ? 0 : InvalidHandle;
    }

private:
    using KeyId = std::pair<Handle, std::string>;

    static std::string lower(std::string text)
    {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return text;
    }

    std::map<KeyId, std::map<std::string, Value>> keys_;
    std::map<Handle, KeyId> handleKeys_;
    std::uint32_t granted_ = 0xF003F;  // all access
    Handle nextHandle_ = 0x2A0;
};

}  // namespace kalvor
