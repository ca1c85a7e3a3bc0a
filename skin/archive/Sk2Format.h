#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::skin {

// The name of the one archive member that holds the skin data.
inline constexpr const char* kSkinMemberName = "SKINDATA.SK2";

inline constexpr const char* kSk2Magic = "KORMIDAN_SK2";
inline constexpr uint32_t kSk2HeaderSize = 24;
inline constexpr uint32_t kSk2Version = 2;
// The skin data's header: magic, header size, format version, offset of the first entry record.
inline constexpr size_t kSk2HeaderSizeOffset = 12;
inline constexpr size_t kSk2FirstRecordOffset = 20;

// An entry record: 64-byte name, kind byte, payload offset, payload size, next-record offset.
inline constexpr size_t kSk2RecordSize = 77;
inline constexpr size_t kSk2NameSize = 64;
inline constexpr size_t kSk2KindOffset = 64;
inline constexpr size_t kSk2PayloadOffset = 65;
inline constexpr size_t kSk2PayloadSizeOffset = 69;
inline constexpr size_t kSk2NextOffset = 73;

enum class TSk2ItemKind : uint8_t { Bitmap = 0, Integer = 1, Flag = 2, Text = 3 };

// Archive records around the member, and the fields of theirs that the reader takes.
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kLocalNameLengthOffset = 26;
inline constexpr size_t kLocalExtraLengthOffset = 28;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kCentralFlagsOffset = 8;
inline constexpr size_t kCentralTimeOffset = 12;
inline constexpr size_t kCentralCrcOffset = 16;
inline constexpr size_t kCentralUncompressedSizeOffset = 24;
inline constexpr size_t kCentralNameLengthOffset = 28;
inline constexpr size_t kCentralLocalHeaderOffset = 42;
inline constexpr size_t kEndRecordSize = 22;
inline constexpr size_t kEndCentralDirectoryOffset = 16;
inline constexpr size_t kEndCommentLengthOffset = 20;
inline constexpr size_t kEncryptionHeaderSize = 12;
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;

} // namespace qv::skin
