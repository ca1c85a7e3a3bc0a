#include "skin/writer/SkinDataBuilder.h"

#include "framework/Exception.h"
#include "skin/archive/LittleEndian.h"

namespace qv::skin {

TSkinDataBuilder::TSkinDataBuilder() {
    data_ = kSk2Magic;
    AppendU32(data_, kSk2HeaderSize);
    AppendU32(data_, kSk2Version);
    AppendU32(data_, kSk2HeaderSize);
}

void TSkinDataBuilder::AddItem(const std::string& name, uint8_t kind, const std::string& payload) {
    if (name.size() > kSk2NameSize) throw framework::Exception("Skin item name too long: " + name);
    const size_t payloadOffset = data_.size() + kSk2RecordSize;
    const size_t next = payloadOffset + payload.size();
    if (next > UINT32_MAX) throw framework::Exception("Skin data too large");
    data_ += name;
    data_.append(kSk2NameSize - name.size(), '\0');
    data_ += static_cast<char>(kind);
    AppendU32(data_, static_cast<uint32_t>(payloadOffset));
    AppendU32(data_, static_cast<uint32_t>(payload.size()));
    AppendU32(data_, static_cast<uint32_t>(next));
    data_ += payload;
}

void TSkinDataBuilder::AddBitmap(const std::string& name, const std::string& bmpFile) {
    AddItem(name, static_cast<uint8_t>(TSk2ItemKind::Bitmap), bmpFile);
}

void TSkinDataBuilder::AddInteger(const std::string& name, int32_t value) {
    std::string payload;
    AppendU32(payload, static_cast<uint32_t>(value));
    AddItem(name, static_cast<uint8_t>(TSk2ItemKind::Integer), payload);
}

void TSkinDataBuilder::AddFlag(const std::string& name, uint8_t value) {
    AddItem(name, static_cast<uint8_t>(TSk2ItemKind::Flag), std::string(1, static_cast<char>(value)));
}

void TSkinDataBuilder::AddText(const std::string& name, const std::string& text) {
    AddItem(name, static_cast<uint8_t>(TSk2ItemKind::Text), text);
}

std::string TSkinDataBuilder::Data() const {
    return data_ + std::string(kSk2RecordSize, '\0');
}

} // namespace qv::skin
