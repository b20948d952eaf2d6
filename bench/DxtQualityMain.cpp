// zorvek-bench-dxt SIZE COUNT: the DXT encoders we could use, on COUNT painted
// textures of SIZE x SIZE (every fourth with cut-out holes): the time each
// takes and its error (RMS over R, G and B, and the largest), decoded by the
// reader's decoder; and for the transparent ones the alpha error of DXT5's
// interpolated alpha against DXT3's four-bit alpha. Prints Markdown tables.

#include "PaintedTexture.h"

#include "txd/DxtEncoder.h"
#include "txd/DxtPixels.h"

#include <squish.h>

#define STB_DXT_IMPLEMENTATION
#define STB_DXT_STATIC
#include <stb/stb_dxt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace zorvek;

struct Error {
    double rms = 0;
    int largest = 0;
};

Error errorOf(const Image& a, const Image& b, bool alpha) {
    Error e;
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) {
        if ((i % 4 == 3) != alpha) {
            continue;
        }
        const int d = std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        e.largest = std::max(e.largest, d);
        sum += double(d) * d;
        ++n;
    }
    e.rms = std::sqrt(sum / double(n));
    return e;
}

struct Encoder {
    const char* name;
    PixelEncoding encoding;
    std::function<Bytes(const Image&)> encode;
};

Bytes squishBlocks(const Image& image, int flags) {
    Bytes blocks(static_cast<std::size_t>(squish::GetStorageRequirements(int(image.width), int(image.height), flags)));
    squish::CompressImage(image.rgba.data(), int(image.width), int(image.height), blocks.data(), flags);
    return blocks;
}

// stb_dxt's normal mode, which the writer does not use, for the comparison.
Bytes stbNormalBlocks(const Image& image) {
    Bytes blocks(std::size_t{image.width / 4} * (image.height / 4) * 8);
    unsigned char block[64];
    std::size_t offset = 0;
    for (std::uint32_t top = 0; top < image.height; top += 4) {
        for (std::uint32_t left = 0; left < image.width; left += 4) {
            for (std::uint32_t y = 0; y < 4; ++y) {
                const std::uint8_t* row = &image.rgba[(std::size_t{top + y} * image.width + left) * 4];
                std::copy(row, row + 16, block + y * 16);
            }
            stb_compress_dxt_block(blocks.data() + offset, block, 0, STB_DXT_NORMAL);
            offset += 8;
        }
    }
    return blocks;
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zorvek-bench-dxt SIZE COUNT\n");
        return 2;
    }
    const auto size = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto count = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::vector<Image> opaque;
    std::vector<Image> cutout;
    for (std::uint32_t i = 0; i < count; ++i) {
        (i % 4 == 3 ? cutout : opaque).push_back(bench::paintedTexture(size, i, i % 4 == 3));
    }
    const std::vector<Encoder> colourEncoders{
        {"stb_dxt high quality (ours)", PixelEncoding::Dxt1,
         [](const Image& i) { return encodeDxt(i, PixelEncoding::Dxt1); }},
        {"stb_dxt normal", PixelEncoding::Dxt1, stbNormalBlocks},
        {"squish range fit", PixelEncoding::Dxt1,
         [](const Image& i) { return squishBlocks(i, squish::kDxt1 | squish::kColourRangeFit); }},
        {"squish cluster fit", PixelEncoding::Dxt1,
         [](const Image& i) { return squishBlocks(i, squish::kDxt1 | squish::kColourClusterFit); }},
        {"squish iterative cluster fit", PixelEncoding::Dxt1,
         [](const Image& i) { return squishBlocks(i, squish::kDxt1 | squish::kColourIterativeClusterFit); }},
    };
    std::printf("DXT1 on %zu opaque %ux%u painted textures (colour error over R, G, B; decoded by squish):\n\n",
                opaque.size(), size, size);
    std::printf("| encoder | ms per texture | RMS error | largest error |\n|---|---:|---:|---:|\n");
    for (const Encoder& encoder : colourEncoders) {
        double seconds = 0;
        double squares = 0;
        int largest = 0;
        for (const Image& image : opaque) {
            Bytes blocks;
            seconds += secondsOf([&] { blocks = encoder.encode(image); });
            const Error e = errorOf(image, decodeDxtPixels(encoder.encoding, size, size, blocks), false);
            squares += e.rms * e.rms;
            largest = std::max(largest, e.largest);
        }
        std::printf("| %s | %.1f | %.2f | %d |\n", encoder.name, seconds * 1000 / double(opaque.size()),
                    std::sqrt(squares / double(opaque.size())), largest);
    }
    const std::vector<Encoder> alphaEncoders{
        {"DXT5, stb_dxt (ours)", PixelEncoding::Dxt5, [](const Image& i) { return encodeDxt(i, PixelEncoding::Dxt5); }},
        {"DXT5, squish range fit", PixelEncoding::Dxt5,
         [](const Image& i) { return squishBlocks(i, squish::kDxt5 | squish::kColourRangeFit); }},
        {"DXT3, squish range fit", PixelEncoding::Dxt3,
         [](const Image& i) { return squishBlocks(i, squish::kDxt3 | squish::kColourRangeFit); }},
    };
    std::printf("\nAlpha on %zu %ux%u textures with soft-edged holes:\n\n", cutout.size(), size, size);
    std::printf(
        "| format | ms per texture | alpha RMS error | largest alpha error | colour RMS error |\n"
        "|---|---:|---:|---:|---:|\n");
    for (const Encoder& encoder : alphaEncoders) {
        double seconds = 0;
        double alphaSquares = 0;
        double colourSquares = 0;
        int largest = 0;
        for (const Image& image : cutout) {
            Bytes blocks;
            seconds += secondsOf([&] { blocks = encoder.encode(image); });
            const Image decoded = decodeDxtPixels(encoder.encoding, size, size, blocks);
            const Error alpha = errorOf(image, decoded, true);
            const Error colour = errorOf(image, decoded, false);
            alphaSquares += alpha.rms * alpha.rms;
            colourSquares += colour.rms * colour.rms;
            largest = std::max(largest, alpha.largest);
        }
        const double n = double(cutout.size());
        std::printf("| %s | %.1f | %.2f | %d | %.2f |\n", encoder.name, seconds * 1000 / n, std::sqrt(alphaSquares / n),
                    largest, std::sqrt(colourSquares / n));
    }
    return 0;
}
