#pragma once

#include "framework/Exception.h"
#include "platform/RegistryStore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::framework {

QV_EXCEPTION_CLASS(ERegistryException, Exception);

inline constexpr const char* SInvalidRegType = "Invalid data type for '%s'";
inline constexpr const char* SRegSetDataFailed = "Failed to set data for '%s'";
inline constexpr const char* SRegGetDataFailed = "Failed to get data for '%s'";

// The framework's registry wrapper on the current user's hive: one open key at a time, typed
// values read and written by name. A key path that begins with a backslash starts at the root,
// any other is taken below the open key. Every write reaches the store at once.
class TRegistry {
public:
    TRegistry() = default;
    explicit TRegistry(platform::RegistryStore store) : store_(std::move(store)) {}

    // Opens the key, creating it and its parents when `canCreate` is set; false when it is
    // missing or cannot be created, and the open key stays as it was.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey() { currentPath_.clear(); }
    // The open key's path from the root, without a leading backslash; empty when none is open.
    const std::string& CurrentPath() const { return currentPath_; }

    bool ValueExists(const std::string& name) const;
    platform::TRegDataType GetDataType(const std::string& name) const;
    bool DeleteValue(const std::string& name);

    // A missing value and a value of no data read as empty text; any other value that is not
    // text raises ERegistryException with SInvalidRegType.
    std::string ReadString(const std::string& name) const;
    // A missing value raises SRegGetDataFailed, a value of another type SInvalidRegType.
    int32_t ReadInteger(const std::string& name) const;
    std::vector<uint8_t> ReadBinaryData(const std::string& name) const;
    // A value that cannot be stored raises ERegistryException with SRegSetDataFailed, as does a
    // key whose stored values exist but cannot be read: they stay as they are. A damaged value
    // file is kept aside and the value lands in a fresh one.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBinaryData(const std::string& name, const std::vector<uint8_t>& value);

private:
    platform::RegistryValues Values() const;
    const platform::RegistryValue* Find(const platform::RegistryValues& values,
                                        const std::string& name) const;
    void Write(const std::string& name, platform::RegistryValue value);

    platform::RegistryStore store_;
    std::string currentPath_;
};

} // namespace qv::framework
