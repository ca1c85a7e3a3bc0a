#include "crash/symbols/MiniStream.h"

#include "crash/symbols/EMiniStreamError.h"

namespace qv::crash {

void TMiniStream::Require(size_t count) const {
    if (count > Remaining()) throw EMiniStreamError("Symbol data ends too early");
}

void TMiniStream::RequireEntries(uint32_t count, size_t minBytes) const {
    if (count > Remaining() / minBytes) throw EMiniStreamError("Symbol table count exceeds its data");
}

uint8_t TMiniStream::ReadByte() {
    Require(1);
    return data_[position_++];
}

uint32_t TMiniStream::ReadUInt32() {
    Require(4);
    const uint8_t* p = data_ + position_;
    position_ += 4;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

int32_t TMiniStream::ReadPackedInt() {
    const auto first = static_cast<int8_t>(ReadByte());
    if (first != -128) return first;
    return static_cast<int32_t>(ReadUInt32());
}

std::string TMiniStream::ReadPackedString() {
    const size_t length = ReadByte();
    Require(length);
    std::string text(reinterpret_cast<const char*>(data_ + position_), length);
    position_ += length;
    return text;
}

} // namespace qv::crash
