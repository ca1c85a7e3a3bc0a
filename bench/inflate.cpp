// Times the skin reader's own inflater against zlib's inflate and libdeflate's raw-deflate decoder
// on the same deflate streams: the embedded skin's member and a 64 MB mixed corpus of text,
// bitmaps and random bytes. Like the peers, ours decodes from memory into a buffer of the known
// size, as the skin reader does.
#include "platform/zlib/RawDeflate.h"
#include "skin/archive/ExtractSkinMember.h"
#include "skin/archive/Inflater.h"
#include "skin/archive/Sk2Format.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr size_t kCorpusSize = 64u << 20;
constexpr int kRounds = 7;
// Each timed round decodes at least this much output, so that small inputs are not timer noise.
constexpr size_t kBytesPerRound = 32u << 20;

// The skin member as the reader extracts it, deflated again as the archive writer stored it.
std::string EmbeddedSkinMember() {
    qv::framework::TFileStream archive(QV_EMBEDDED_SKIN, qv::framework::TFileStream::Mode::OpenRead);
    std::string member;
    if (qv::skin::ExtractSkinMember(archive, qv::skin::kSkinMemberName, "", member) !=
        qv::skin::TExtractResult::Ok)
        throw std::runtime_error("cannot extract the member of " + std::string(QV_EMBEDDED_SKIN));
    return member;
}

void AppendText(std::string& out, size_t size, std::mt19937& random) {
    static const char* const words[] = {"tender",       "procurement", "contract", "supply",    "services",
                                        "municipal",    "deadline",    "lot",      "framework", "agreement",
                                        "construction", "of",          "the",      "and",       "for",
                                        "Germany",      "France",      "Poland",   "notice",    "award"};
    const size_t end = out.size() + size;
    while (out.size() < end) {
        const unsigned wordsInLine = 4 + random() % 12;
        for (unsigned i = 0; i < wordsInLine; ++i) {
            out += words[random() % std::size(words)];
            out += ' ';
        }
        out += std::to_string(random() % 100000);
        out += "\r\n";
    }
    out.resize(end);
}

// 24-bit pixel rows: gradients crossed by flat rectangles with a little noise.
void AppendBitmap(std::string& out, size_t size, std::mt19937& random) {
    const unsigned width = 64 + random() % 512;
    const unsigned boxLeft = random() % width;
    const unsigned boxRight = boxLeft + random() % (width - boxLeft);
    const uint8_t base[3] = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                             static_cast<uint8_t>(random())};
    const size_t end = out.size() + size;
    for (unsigned row = 0; out.size() < end; ++row) {
        for (unsigned x = 0; x < width && out.size() < end; ++x) {
            const bool inBox = x >= boxLeft && x < boxRight && row % 64 < 40;
            const bool noisy = random() % 16 == 0;
            for (unsigned channel = 0; channel < 3; ++channel) {
                unsigned value = inBox ? base[channel] ^ 0x5A : base[channel] + (x + row) / (channel + 2);
                if (noisy) value += random() % 8;
                out += static_cast<char>(value);
            }
        }
    }
    out.resize(end);
}

std::string MixedCorpus(size_t size) {
    std::mt19937 random(20261209);
    std::string corpus;
    corpus.reserve(size);
    while (corpus.size() < size) {
        const size_t piece = std::min<size_t>(size - corpus.size(), 16384 + random() % 262144);
        const unsigned kind = random() % 20;
        if (kind < 9) {
            AppendText(corpus, piece, random);
        } else if (kind < 17) {
            AppendBitmap(corpus, piece, random);
        } else {
            for (size_t i = 0; i < piece; ++i)
                corpus += static_cast<char>(random());
        }
    }
    return corpus;
}

void InflateOurs(const std::string& deflated, std::string& out) {
    qv::skin::TInflateInput input(reinterpret_cast<const uint8_t*>(deflated.data()), deflated.size());
    if (qv::skin::InflateToBuffer(input, reinterpret_cast<uint8_t*>(out.data()), out.size()) != out.size())
        throw std::runtime_error("our inflater decoded the wrong size");
}

void InflateZlib(const std::string& deflated, std::string& out) {
    const qv::platform::TRawInflateResult result = qv::platform::RawInflateInto(deflated, out);
    if (result.status != qv::platform::TRawInflateResult::Ended || result.size != out.size())
        throw std::runtime_error("zlib inflate failed");
}

void InflateLibdeflate(libdeflate_decompressor* decompressor, const std::string& deflated, std::string& out) {
    size_t written = 0;
    if (libdeflate_deflate_decompress(decompressor, deflated.data(), deflated.size(), out.data(), out.size(),
                                      &written) != LIBDEFLATE_SUCCESS ||
        written != out.size())
        throw std::runtime_error("libdeflate failed");
}

// The processor time this thread has used, in seconds: unlike the time on the clock, it leaves
// out the time other programs on a busy machine take the processor away.
double ThreadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Decompressed megabytes (10^6 bytes) per second of one round that decodes the data repeatedly.
double MegabytesPerSecond(size_t size, const std::function<void()>& decode) {
    const size_t repeats = std::max<size_t>(1, kBytesPerRound / std::max<size_t>(size, 1));
    const double start = ThreadSeconds();
    for (size_t i = 0; i < repeats; ++i)
        decode();
    return static_cast<double>(size * repeats) / (ThreadSeconds() - start) / 1e6;
}

struct TRatios {
    double zlib;
    double libdeflate;
};

// Prints the three speeds and returns ours divided by each peer's, after checking that all three
// decode the data.
TRatios Compare(const char* name, const std::string& data) {
    const std::string deflated = qv::skin::DeflateRaw(data, false);
    std::string oursOut(data.size(), '\0');
    std::string zlibOut(data.size(), '\0');
    std::string libdeflateOut(data.size(), '\0');
    const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    if (!decompressor) throw std::runtime_error("libdeflate_alloc_decompressor failed");

    InflateOurs(deflated, oursOut);
    InflateZlib(deflated, zlibOut);
    InflateLibdeflate(decompressor.get(), deflated, libdeflateOut);
    if (oursOut != data || zlibOut != data || libdeflateOut != data)
        throw std::runtime_error("decoded data differs");

    // Alternating rounds and keeping the best of each lets all sides see the same machine load.
    double ours = 0;
    double zlib = 0;
    double libdeflate = 0;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::max(ours, MegabytesPerSecond(data.size(), [&] { InflateOurs(deflated, oursOut); }));
        zlib = std::max(zlib, MegabytesPerSecond(data.size(), [&] { InflateZlib(deflated, zlibOut); }));
        libdeflate = std::max(libdeflate, MegabytesPerSecond(data.size(), [&] {
                                  InflateLibdeflate(decompressor.get(), deflated, libdeflateOut);
                              }));
    }
    std::printf("%s: %zu -> %zu bytes\n  ours %8.1f MB/s\n  zlib %8.1f MB/s\n"
                "  libdeflate %8.1f MB/s\n",
                name, deflated.size(), data.size(), ours, zlib, libdeflate);
    std::fflush(stdout);
    return {ours / zlib, ours / libdeflate};
}

} // namespace

int main() {
    try {
        const TRatios skin = Compare("skin member", EmbeddedSkinMember());
        const TRatios corpus = Compare("mixed corpus", MixedCorpus(kCorpusSize));
        std::printf("ratio skin: %.3f\nratio corpus: %.3f\n", skin.zlib, corpus.zlib);
        std::printf("ratio libdeflate-skin: %.3f\nratio libdeflate-corpus: %.3f\n", skin.libdeflate,
                    corpus.libdeflate);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "inflate: %s\n", error.what());
        return 1;
    }
}
