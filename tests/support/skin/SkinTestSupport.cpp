#include "tests/support/skin/SkinTestSupport.h"

#include "platform/zlib/RawDeflate.h"
#include "skin/archive/LittleEndian.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>

namespace qv::skin::test {

QImage PatternImage(int width, int height, uint32_t seed) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return image;
}

std::string EncodeBmp24(const QImage& image) {
    const auto width = static_cast<uint32_t>(image.width());
    const auto height = static_cast<uint32_t>(image.height());
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    std::string bmp = "BM";
    AppendU32(bmp, 54 + stride * height);
    AppendU32(bmp, 0);
    AppendU32(bmp, 54);
    for (const uint32_t field : {40u, width, height})
        AppendU32(bmp, field);
    AppendU16(bmp, 1);
    AppendU16(bmp, 24);
    for (const uint32_t field : {0u, stride * height, 2835u, 2835u, 0u, 0u})
        AppendU32(bmp, field);
    for (int y = image.height() - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            row += static_cast<char>(qBlue(pixel));
            row += static_cast<char>(qGreen(pixel));
            row += static_cast<char>(qRed(pixel));
        }
        row.resize(stride, '\0');
        bmp += row;
    }
    return bmp;
}

std::string ZlibInflateRaw(const std::string& deflated) {
    // Far beyond what any test stream decodes to; only a fault in the stream reaches it.
    constexpr size_t kMaxInflated = size_t{256} << 20;
    std::optional<std::string> inflated = platform::RawInflate(deflated, kMaxInflated);
    if (!inflated) throw std::runtime_error("zlib inflate failed");
    return std::move(*inflated);
}

std::string MixedData(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    static const char* const words[] = {"tender ", "procurement ", "Quorvane ",
                                        "skin ",   "window\r\n",   "0123 "};
    std::string data;
    while (data.size() < size) {
        switch (random() % 4) {
        case 0:
            for (int i = 0; i < 40; ++i)
                data += words[random() % 6];
            break;
        case 1:
            data.append(1 + random() % 600, static_cast<char>(random()));
            break;
        case 2:
            // Back-references up to the longest distance deflate allows.
            if (data.size() > 33000) {
                const size_t from = data.size() - 1 - random() % 32768;
                data += data.substr(from, 3 + random() % 400);
            }
            break;
        default:
            for (int i = 0; i < 300; ++i)
                data += static_cast<char>(random());
        }
    }
    data.resize(size);
    return data;
}

void TBitWriter::Put(uint32_t value, unsigned bitCount) {
    for (unsigned i = 0; i < bitCount; ++i) {
        if (used_ == 8) {
            bytes_ += '\0';
            used_ = 0;
        }
        if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (1 << used_));
        ++used_;
    }
}

void TBitWriter::PutCode(uint32_t code, unsigned length) {
    for (unsigned i = length; i > 0; --i)
        Put((code >> (i - 1)) & 1, 1);
}

std::string TBitWriter::Bytes() const {
    return bytes_;
}

TScratchFolder::TScratchFolder() : folder_("qv-skin-test"), tmpdir_{{"TMPDIR", folder_.Path()}} {
    std::filesystem::create_directory(folder_ / "input");
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0 || inotify_add_watch(watch_, folder_.Path().c_str(), IN_CREATE) < 0)
        throw std::runtime_error("inotify");
}

TScratchFolder::~TScratchFolder() {
    ::close(watch_);
}

std::string TScratchFolder::Write(const std::string& name, const std::string& bytes) const {
    return folder_.Write("input/" + name, bytes);
}

int TScratchFolder::CreatedEntries() const {
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(watch_, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            ++created_;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return created_;
}

void ForEachCorruption(const std::string& bytes, int count, uint32_t seed,
                       const std::function<void(const std::string&)>& action) {
    std::mt19937 random(seed);
    for (int n = 0; n < count; ++n) {
        std::string copy = bytes;
        const auto at = [&] { return static_cast<size_t>(random() % copy.size()); };
        switch (random() % 4) {
        case 0:
            for (unsigned flips = 1 + random() % 4; flips > 0; --flips) {
                const size_t i = at();
                copy[i] = static_cast<char>(copy[i] ^ (1 << (random() % 8)));
            }
            break;
        case 1: {
            const size_t start = at();
            for (size_t i = start; i < std::min(copy.size(), start + 1 + random() % 8); ++i)
                copy[i] = static_cast<char>(random());
            break;
        }
        case 2:
            copy.resize(at());
            break;
        default: {
            const size_t from = at();
            const size_t to = at();
            const size_t length = std::min({size_t{1} + random() % 16, copy.size() - from, copy.size() - to});
            copy.replace(to, length, bytes.substr(from, length));
        }
        }
        action(copy);
    }
}

} // namespace qv::skin::test
