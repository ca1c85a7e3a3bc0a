#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qv::platform {

// The type of a stored value, as the registry knows them.
enum class TRegDataType { rdString, rdInteger, rdBinary };

using RegistryValue = std::variant<std::string, int32_t, std::vector<uint8_t>>;

// One key's values by name; names compare without regard to ASCII case, as registry names do.
struct RegistryNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using RegistryValues = std::map<std::string, RegistryValue, RegistryNameLess>;

// The current user's registry hive on disk: one folder per key under
// $XDG_CONFIG_HOME/quorvane/registry/HKEY_CURRENT_USER (~/.config when the variable is unset),
// the key's values in the file "values" inside it. Folders are private to the user (0700, looser
// ones are tightened at each write) and value files readable by the user alone (0600). A value
// file is replaced through a temporary file, flushed to disk before the rename, so a crash leaves
// either the old or the new values; writers take turns on a key, so that two instances writing at
// once lose none of each other's values.
class RegistryStore {
public:
    // The store under the user's configuration folder.
    RegistryStore();
    // A store rooted elsewhere (tests, benchmarks).
    explicit RegistryStore(std::string rootFolder);

    const std::string& RootFolder() const { return root_; }
    // The folder of a key path such as "\Software\Quorvane\QVN" or "Software/Quorvane"; empty
    // when the path names no key or steps outside the hive ("..", ".").
    std::string KeyFolder(const std::string& keyPath) const;

    // Creates the key and its parents when `create` is set; false when the key is missing or
    // cannot be created.
    bool OpenKey(const std::string& keyPath, bool create) const;
    // The key's values; nothing when the key is missing or its value file is unreadable (also a
    // link, a fifo or another user's file) or damaged.
    std::optional<RegistryValues> ReadValues(const std::string& keyPath) const;
    // Replaces the key's values; false when they could not be written.
    bool WriteValues(const std::string& keyPath, const RegistryValues& values) const;
    // Reads the key's values (none when there is no value file; a damaged file is kept aside as
    // "values.damaged-" + the time and counts as none), lets `change` alter them, and writes them
    // when it returns true, all while no other writer may. False, with the file left as it is,
    // when the key cannot be made or taken, when its value file exists but cannot be read, or
    // when the values could not be written.
    bool UpdateValues(const std::string& keyPath, const std::function<bool(RegistryValues&)>& change) const;

private:
    std::string root_;

    bool Change(const std::string& keyPath, bool readFirst,
                const std::function<bool(RegistryValues&)>& change) const;
};

// The value file's bytes and their reading; a damaged text gives nothing.
std::string EncodeRegistryValues(const RegistryValues& values);
std::optional<RegistryValues> DecodeRegistryValues(const std::string& bytes);

} // namespace qv::platform
