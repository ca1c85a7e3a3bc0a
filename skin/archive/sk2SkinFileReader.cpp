#include "skin/archive/sk2SkinFileReader.h"

#include "framework/Conversions.h"
#include "framework/Exception.h"
#include "framework/Stream.h"
#include "platform/TempNames.h"
#include "skin/archive/ExtractSkinMember.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/SkinBitmap.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace qv::skin {

namespace {

using framework::TFileStream;

[[noreturn]] void Fail() {
    throw framework::Exception("Failed to read skin file!");
}

// Removes the extracted skin data however the load ends.
struct TTemporaryFile {
    std::string name;
    ~TTemporaryFile() { std::remove(name.c_str()); }
};

std::string ReadExact(TFileStream& stream, int64_t position, int64_t count) {
    std::string bytes(static_cast<size_t>(count), '\0');
    stream.SetPosition(position);
    if (stream.Read(bytes.data(), count) != count) Fail();
    return bytes;
}

std::optional<std::string> ValueOf(const framework::TStringList& list, const std::string& name) {
    for (const std::string& line : list.Lines()) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            framework::SameText(std::string_view(line).substr(0, equals), name))
            return line.substr(equals + 1);
    }
    return std::nullopt;
}

} // namespace

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::string& fileName, const std::string& password) {
    Load(fileName, password);
}

void Tsk2SkinFileReader::Load(const std::string& fileName, const std::string& password) {
    skinLoaded_ = false;
    const TTemporaryFile data{platform::TempFolder() + platform::NewGuidText()};
    switch (ExtractSkinMember(fileName, kSkinMemberName, data.name, password)) {
    case 0:
        break;
    case 2:
        return;
    default:
        Fail();
    }
    try {
        ParseSkinData(data.name);
    } catch (const std::exception&) {
        Fail();
    }
    skinLoaded_ = true;
}

void Tsk2SkinFileReader::ParseSkinData(const std::string& dataFileName) {
    TFileStream data(dataFileName, TFileStream::Mode::OpenRead);
    const int64_t size = data.Size();
    // Only the header's first 24 bytes mean anything to us; a larger stated size must still fit.
    const std::string header = ReadExact(data, 0, kSk2HeaderSize);
    const auto* h = reinterpret_cast<const uint8_t*>(header.data());
    const int64_t headerSize = ReadU32(h + 12);
    if (headerSize < kSk2HeaderSize || headerSize > size) Fail();
    int64_t offset = ReadU32(h + 20);

    // Records and payloads of a well-formed skin each take their own bytes of the file, so their
    // total never exceeds its size; counting them bounds the walk when offsets loop or overlap.
    int64_t unclaimed = size;
    for (;;) {
        unclaimed -= static_cast<int64_t>(kSk2RecordSize);
        if (unclaimed < 0) Fail();
        const std::string record = ReadExact(data, offset, kSk2RecordSize);
        const auto* r = reinterpret_cast<const uint8_t*>(record.data());
        const uint32_t next = ReadU32(r + kSk2NextOffset);
        if (next == 0) break;
        const uint8_t kind = r[kSk2KindOffset];
        if (kind <= static_cast<uint8_t>(TSk2ItemKind::Text)) {
            const int64_t payloadSize = ReadU32(r + kSk2PayloadSizeOffset);
            unclaimed -= payloadSize;
            if (unclaimed < 0) Fail();
            const std::string name(record.data(), strnlen(record.data(), kSk2NameSize));
            AddItem(static_cast<TSk2ItemKind>(kind), name,
                    ReadExact(data, ReadU32(r + kSk2PayloadOffset), payloadSize));
        }
        offset = next;
    }
}

void Tsk2SkinFileReader::AddItem(TSk2ItemKind kind, const std::string& name, const std::string& payload) {
    const auto* p = reinterpret_cast<const uint8_t*>(payload.data());
    int index = 0;
    switch (kind) {
    case TSk2ItemKind::Bitmap: {
        QImage bitmap = DecodeSkinBitmap(payload, kMaxSkinPixels - pixels_);
        if (bitmap.isNull()) Fail();
        pixels_ += int64_t{bitmap.width()} * bitmap.height();
        index = static_cast<int>(bitmaps_.size());
        bitmaps_.push_back({name, std::move(bitmap)});
        break;
    }
    case TSk2ItemKind::Integer:
        if (payload.size() != 4) Fail();
        index = integers_.Add(name + "=" + framework::IntToStr(static_cast<int32_t>(ReadU32(p))));
        break;
    case TSk2ItemKind::Flag:
        if (payload.size() != 1) Fail();
        index = flags_.Add(name + "=" + framework::IntToStr(p[0]));
        break;
    case TSk2ItemKind::Text:
        index = texts_.Add(name + "=" + payload);
        break;
    }
    items_.push_back({kind, name, index});
}

const QImage* Tsk2SkinFileReader::GetBitmap(const std::string& name) const {
    for (const TBitmapItem& item : bitmaps_)
        if (framework::SameText(item.name, name)) return &item.bitmap;
    return nullptr;
}

int32_t Tsk2SkinFileReader::GetInteger(const std::string& name) const {
    const auto value = ValueOf(integers_, name);
    return value ? framework::StrToIntDef(*value, -1) : -1;
}

bool Tsk2SkinFileReader::GetBool(const std::string& name) const {
    const auto value = ValueOf(flags_, name);
    return value && framework::StrToIntDef(*value, 0) != 0;
}

} // namespace qv::skin
