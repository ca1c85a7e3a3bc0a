#include "platform/RegistryStore.h"

#include "platform/HomeFolder.h"
#include "platform/KeyFolderLock.h"
#include "platform/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qv::platform {

namespace {

constexpr const char* kHiveFolder = "HKEY_CURRENT_USER";
constexpr const char* kValueFile = "values";
constexpr const char* kSignature = "QVREG 1\n";
// A key's values are a few short texts; anything larger is not a value file of ours.
constexpr size_t kMaxValueFileSize = 16 * 1024 * 1024;
// A damaged value file is kept as "values.damaged-" + the time, and a number when that exists.
constexpr const char* kDamagedMark = ".damaged-";
constexpr int kMaxDamagedCopies = 100;

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Empty when the user has no home folder: the store is then nowhere rather than in the current
// folder.
std::string DefaultRoot() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/quorvane/registry";
    const std::string home = HomeFolder();
    return home.empty() ? home : home + "/.config/quorvane/registry";
}

enum class TReadState { Read, Missing, Unreadable };

// A link, a fifo or another user's file at the value file's name, which a folder that others could
// once write to may hold, is unreadable: neither followed nor waited on, nor taken for the user's.
TReadState ReadFile(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? TReadState::Missing : TReadState::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return TReadState::Unreadable;
    }
    bytes.clear();
    char buffer[4096];
    TReadState state = TReadState::Read;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) state = TReadState::Unreadable;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
        if (bytes.size() > kMaxValueFileSize) {
            state = TReadState::Unreadable;
            break;
        }
    }
    ::close(fd);
    return state;
}

// Moves a damaged value file to a name of its own beside it, where it stays for whoever wants to
// look into it; false when it cannot be moved.
bool KeepAside(const std::string& path) {
    const std::string aside = path + kDamagedMark + std::to_string(::time(nullptr));
    for (int attempt = 0; attempt < kMaxDamagedCopies; ++attempt) {
        const std::string name = attempt == 0 ? aside : aside + "-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

char TypeLetter(const RegistryValue& value) {
    return "sib"[value.index()];
}

std::optional<size_t> ReadNumber(const std::string& bytes, size_t& pos, char end) {
    size_t number = 0;
    const char* first = bytes.data() + pos;
    const char* last = bytes.data() + bytes.size();
    const auto [next, error] = std::from_chars(first, last, number);
    if (error != std::errc() || next == first || next == last || *next != end) return std::nullopt;
    pos = static_cast<size_t>(next - bytes.data()) + 1;
    return number;
}

} // namespace

bool RegistryNameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

RegistryStore::RegistryStore() : RegistryStore(DefaultRoot()) {}

RegistryStore::RegistryStore(std::string rootFolder) : root_(std::move(rootFolder)) {}

std::string RegistryStore::KeyFolder(const std::string& keyPath) const {
    if (root_.empty()) return {};
    std::string folder = root_ + "/" + kHiveFolder;
    size_t start = 0;
    bool named = false;
    while (start <= keyPath.size()) {
        size_t end = keyPath.find_first_of("\\/", start);
        if (end == std::string::npos) end = keyPath.size();
        const std::string part = keyPath.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part == "." || part == ".." || part.find('\0') != std::string::npos) return {};
        folder += "/" + part;
        named = true;
    }
    return named ? folder : std::string();
}

bool RegistryStore::OpenKey(const std::string& keyPath, bool create) const {
    const std::string folder = KeyFolder(keyPath);
    if (folder.empty()) return false;
    if (create) return MakePrivateFolders(folder);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<RegistryValues> RegistryStore::ReadValues(const std::string& keyPath) const {
    if (!OpenKey(keyPath, false)) return std::nullopt;
    std::string bytes;
    switch (ReadFile(KeyFolder(keyPath) + "/" + kValueFile, bytes)) {
    case TReadState::Missing:
        return RegistryValues();
    case TReadState::Unreadable:
        return std::nullopt;
    case TReadState::Read:
        break;
    }
    return DecodeRegistryValues(bytes);
}

bool RegistryStore::WriteValues(const std::string& keyPath, const RegistryValues& values) const {
    return Change(keyPath, false, [&values](RegistryValues& stored) {
        stored = values;
        return true;
    });
}

bool RegistryStore::UpdateValues(const std::string& keyPath,
                                 const std::function<bool(RegistryValues&)>& change) const {
    return Change(keyPath, true, change);
}

bool RegistryStore::Change(const std::string& keyPath, bool readFirst,
                           const std::function<bool(RegistryValues&)>& change) const {
    if (!OpenKey(keyPath, true)) return false;
    const std::string folder = KeyFolder(keyPath);
    const TKeyFolderLock lock(folder);
    if (!lock.Held()) return false;
    TightenFolders(root_, folder);
    lock.RemoveStaleTemporaryFiles(kValueFile);
    const std::string path = folder + "/" + kValueFile;
    RegistryValues values;
    if (readFirst) {
        std::string bytes;
        const TReadState state = ReadFile(path, bytes);
        // Values that exist but cannot be read now must not be written over with the rest lost.
        if (state == TReadState::Unreadable) return false;
        if (state == TReadState::Read) {
            if (std::optional<RegistryValues> decoded = DecodeRegistryValues(bytes))
                values = std::move(*decoded);
            else if (!KeepAside(path))
                return false;
        }
    }
    if (!change(values)) return true;
    return ReplaceFile(path, EncodeRegistryValues(values));
}

// The file: the signature line, then per value a line "TYPE NAMELENGTH DATALENGTH" followed by
// the name and the data, byte for byte, and a line break. TYPE is s (text), i (integer, in
// decimal) or b (bytes).
std::string EncodeRegistryValues(const RegistryValues& values) {
    std::string bytes = kSignature;
    for (const auto& [name, value] : values) {
        std::string data;
        if (const auto* text = std::get_if<std::string>(&value))
            data = *text;
        else if (const auto* number = std::get_if<int32_t>(&value))
            data = std::to_string(*number);
        else
            data.assign(std::get<std::vector<uint8_t>>(value).begin(),
                        std::get<std::vector<uint8_t>>(value).end());
        bytes += TypeLetter(value);
        bytes += ' ' + std::to_string(name.size()) + ' ' + std::to_string(data.size()) + '\n';
        bytes += name + data + '\n';
    }
    return bytes;
}

std::optional<RegistryValues> DecodeRegistryValues(const std::string& bytes) {
    const std::string signature = kSignature;
    if (bytes.compare(0, signature.size(), signature) != 0) return std::nullopt;
    RegistryValues values;
    size_t pos = signature.size();
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 2 || bytes[pos + 1] != ' ') return std::nullopt;
        const char type = bytes[pos];
        pos += 2;
        const auto nameLength = ReadNumber(bytes, pos, ' ');
        const auto dataLength = nameLength ? ReadNumber(bytes, pos, '\n') : std::nullopt;
        if (!dataLength || *nameLength > bytes.size() - pos ||
            *dataLength > bytes.size() - pos - *nameLength ||
            bytes.size() - pos - *nameLength - *dataLength < 1)
            return std::nullopt;
        std::string name = bytes.substr(pos, *nameLength);
        std::string data = bytes.substr(pos + *nameLength, *dataLength);
        pos += *nameLength + *dataLength;
        if (bytes[pos++] != '\n') return std::nullopt;
        RegistryValue value;
        if (type == 's') {
            value = std::move(data);
        } else if (type == 'i') {
            int32_t number = 0;
            const auto [next, error] = std::from_chars(data.data(), data.data() + data.size(), number);
            if (error != std::errc() || next != data.data() + data.size() || data.empty())
                return std::nullopt;
            value = number;
        } else if (type == 'b') {
            value = std::vector<uint8_t>(data.begin(), data.end());
        } else {
            return std::nullopt;
        }
        values.insert_or_assign(std::move(name), std::move(value));
    }
    return values;
}

} // namespace qv::platform
