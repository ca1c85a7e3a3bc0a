#include "framework/Registry.h"

#include "framework/Format.h"

namespace qv::framework {

namespace {

[[noreturn]] void Raise(const char* templ, const std::string& name) {
    throw ERegistryException(FormatMessage(templ, name));
}

} // namespace

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    const bool absolute = !key.empty() && key.front() == '\\';
    std::string path = absolute || currentPath_.empty() ? key : currentPath_ + "\\" + key;
    while (!path.empty() && path.front() == '\\')
        path.erase(0, 1);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    if (!store_.OpenKey(path, canCreate)) return false;
    currentPath_ = path;
    return true;
}

platform::RegistryValues TRegistry::Values() const {
    if (currentPath_.empty()) return {};
    return store_.ReadValues(currentPath_).value_or(platform::RegistryValues());
}

const platform::RegistryValue* TRegistry::Find(const platform::RegistryValues& values,
                                               const std::string& name) const {
    const auto found = values.find(name);
    return found == values.end() ? nullptr : &found->second;
}

bool TRegistry::ValueExists(const std::string& name) const {
    const platform::RegistryValues values = Values();
    return Find(values, name) != nullptr;
}

platform::TRegDataType TRegistry::GetDataType(const std::string& name) const {
    const platform::RegistryValues values = Values();
    const platform::RegistryValue* value = Find(values, name);
    if (!value) Raise(SRegGetDataFailed, name);
    return static_cast<platform::TRegDataType>(value->index());
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (currentPath_.empty()) return false;
    bool erased = false;
    const bool written = store_.UpdateValues(currentPath_, [&](platform::RegistryValues& values) {
        erased = values.erase(name) > 0;
        return erased;
    });
    return written && erased;
}

std::string TRegistry::ReadString(const std::string& name) const {
    const platform::RegistryValues values = Values();
    const platform::RegistryValue* value = Find(values, name);
    if (!value) return {};
    if (const auto* text = std::get_if<std::string>(value)) return *text;
    // As the registry's own reading does, a value of no data is empty text whatever its type.
    if (const auto* bytes = std::get_if<std::vector<uint8_t>>(value); bytes && bytes->empty()) return {};
    Raise(SInvalidRegType, name);
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
    const platform::RegistryValues values = Values();
    const platform::RegistryValue* value = Find(values, name);
    if (!value) Raise(SRegGetDataFailed, name);
    if (const auto* number = std::get_if<int32_t>(value)) return *number;
    Raise(SInvalidRegType, name);
}

std::vector<uint8_t> TRegistry::ReadBinaryData(const std::string& name) const {
    const platform::RegistryValues values = Values();
    const platform::RegistryValue* value = Find(values, name);
    if (!value) Raise(SRegGetDataFailed, name);
    if (const auto* bytes = std::get_if<std::vector<uint8_t>>(value)) return *bytes;
    Raise(SInvalidRegType, name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    Write(name, value);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    Write(name, value);
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<uint8_t>& value) {
    Write(name, value);
}

void TRegistry::Write(const std::string& name, platform::RegistryValue value) {
    if (currentPath_.empty()) Raise(SRegSetDataFailed, name);
    const bool written = store_.UpdateValues(currentPath_, [&](platform::RegistryValues& values) {
        // Writing back what is stored changes nothing; it would only cost a flush to the disk.
        if (const auto found = values.find(name);
            found != values.end() && found->first == name && found->second == value)
            return false;
        values.insert_or_assign(name, value);
        return true;
    });
    // A store that exists but cannot be read is left as it is: writing would lose its other values.
    if (!written) Raise(SRegSetDataFailed, name);
}

} // namespace qv::framework
