#include "skin/archive/sk2SkinFileReader.h"

#include "framework/Exception.h"
#include "skin/archive/ExtractSkinMember.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/SkinBitmap.h"

#include <cstring>
#include <filesystem>

namespace qv::skin {

namespace {

using framework::TFileStream;

[[noreturn]] void Fail() {
    throw framework::Exception("Failed to read skin file!");
}

TFileStream OpenArchive(const std::string& fileName) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) Fail();
    try {
        return TFileStream(fileName, TFileStream::Mode::OpenRead);
    } catch (const std::exception&) {
        Fail();
    }
}

const uint8_t* Bytes(std::string_view data) {
    return reinterpret_cast<const uint8_t*>(data.data());
}

// The count bytes of the data from the position on; they must lie inside it.
std::string_view Slice(std::string_view data, int64_t position, int64_t count) {
    const auto size = static_cast<int64_t>(data.size());
    if (position < 0 || count < 0 || position > size || count > size - position) Fail();
    return data.substr(static_cast<size_t>(position), static_cast<size_t>(count));
}

// Keeps the value at the index unless an earlier item of the same name took it; an index of -1
// (an item outside the group) keeps nothing.
template <typename T, size_t N>
void KeepFirst(std::array<std::optional<T>, N>& table, int index, const T& value) {
    if (index >= 0 && !table[static_cast<size_t>(index)]) table[static_cast<size_t>(index)] = value;
}

template <typename T, size_t N>
const T* Find(const std::array<std::optional<T>, N>& table, int index) {
    if (index < 0 || static_cast<size_t>(index) >= N || !table[static_cast<size_t>(index)]) return nullptr;
    return &*table[static_cast<size_t>(index)];
}

} // namespace

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::string& fileName, const std::string& password) {
    TFileStream archive = OpenArchive(fileName);
    Load(archive, password);
}

Tsk2SkinFileReader::Tsk2SkinFileReader(framework::TStream& archive, const std::string& password) {
    Load(archive, password);
}

void Tsk2SkinFileReader::Load(framework::TStream& archive, const std::string& password) {
    std::string data;
    switch (ExtractSkinMember(archive, kSkinMemberName, password, data)) {
    case TExtractResult::Ok:
        break;
    case TExtractResult::BadPassword:
        return;
    case TExtractResult::Unreadable:
        Fail();
    }
    try {
        ParseSkinData(data);
    } catch (const std::exception&) {
        Fail();
    }
    skinLoaded_ = true;
}

void Tsk2SkinFileReader::ParseSkinData(std::string_view data) {
    const auto size = static_cast<int64_t>(data.size());
    // Only the header's first 24 bytes mean anything to us; a larger stated size must still fit.
    const uint8_t* header = Bytes(Slice(data, 0, kSk2HeaderSize));
    const int64_t headerSize = ReadU32(header + kSk2HeaderSizeOffset);
    if (headerSize < kSk2HeaderSize || headerSize > size) Fail();
    int64_t offset = ReadU32(header + kSk2FirstRecordOffset);

    // Records and payloads of a well-formed skin each take their own bytes of the data, so their
    // total never exceeds its size; counting them bounds the walk when offsets loop or overlap.
    int64_t unclaimed = size;
    for (;;) {
        unclaimed -= static_cast<int64_t>(kSk2RecordSize);
        if (unclaimed < 0) Fail();
        const std::string_view record = Slice(data, offset, kSk2RecordSize);
        const uint8_t* r = Bytes(record);
        const uint32_t next = ReadU32(r + kSk2NextOffset);
        if (next == 0) break;
        const uint8_t kind = r[kSk2KindOffset];
        if (kind <= static_cast<uint8_t>(TSk2ItemKind::Text)) {
            const int64_t payloadSize = ReadU32(r + kSk2PayloadSizeOffset);
            unclaimed -= payloadSize;
            if (unclaimed < 0) Fail();
            AddItem(static_cast<TSk2ItemKind>(kind),
                    std::string(record.data(), strnlen(record.data(), kSk2NameSize)),
                    Slice(data, ReadU32(r + kSk2PayloadOffset), payloadSize));
        }
        offset = next;
    }
}

void Tsk2SkinFileReader::AddItem(TSk2ItemKind kind, std::string name, std::string_view payload) {
    const uint8_t* p = Bytes(payload);
    const std::optional<TSkin2Item> known = FindSkinItem(name);
    // The item's index in the group, or -1 when its name belongs to no item of that group.
    const auto indexIn = [&known](TSkin2Group group) {
        return known && known->group == group ? known->index : -1;
    };
    TItem item;
    item.kind = kind;
    item.name = std::move(name);
    switch (kind) {
    case TSk2ItemKind::Bitmap:
        item.bitmap = DecodeSkinBitmap(payload, kMaxSkinPixels - pixels_);
        if (item.bitmap.isNull()) Fail();
        pixels_ += int64_t{item.bitmap.width()} * item.bitmap.height();
        KeepFirst(bitmaps_, indexIn(TSkin2Group::Bitmap), item.bitmap);
        break;
    case TSk2ItemKind::Integer:
        if (payload.size() != 4) Fail();
        item.value = static_cast<int32_t>(ReadU32(p));
        KeepFirst(colors_, indexIn(TSkin2Group::Color), item.value);
        KeepFirst(integers_, indexIn(TSkin2Group::Integer), item.value);
        break;
    case TSk2ItemKind::Flag:
        if (payload.size() != 1) Fail();
        item.value = p[0];
        KeepFirst(flags_, indexIn(TSkin2Group::Flag), p[0] != 0);
        break;
    case TSk2ItemKind::Text:
        item.text = payload;
        break;
    }
    items_.push_back(std::move(item));
}

const QImage* Tsk2SkinFileReader::GetBitmap(TSkin2Bitmap index) const {
    return Find(bitmaps_, index);
}

int32_t Tsk2SkinFileReader::GetInteger(TSkin2Color index) const {
    const int32_t* value = Find(colors_, index);
    return value ? *value : -1;
}

int32_t Tsk2SkinFileReader::GetInteger(TSkin2Integer index) const {
    const int32_t* value = Find(integers_, index);
    return value ? *value : -1;
}

bool Tsk2SkinFileReader::GetBool(TSkin2Flag index) const {
    const bool* value = Find(flags_, index);
    return value && *value;
}

} // namespace qv::skin
