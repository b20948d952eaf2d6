// zorvek-bench-txd KIND OUT.txd: a texture dictionary for the synthetic
// model's materials ("body" and "head"), the input of scripts/bench.sh.
//   ped       about 250 KB as a ped's TXD: three 256x256 DXT5 and a 128x128 8888 texture,
//             two of them unused
//   dxt5-2048 the body as one 2048x2048 DXT5 texture, the head 256x256 DXT1

#include "PatternedImage.h"

#include "base/FileIo.h"
#include "support/txd/TxdPixels.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

using namespace zorvek;

test::TextureLayout compressed(const std::string& name, std::uint32_t size, test::TxdPixelFormat format) {
    return test::d3d9Texture(name, bench::patternedImage(size, static_cast<std::uint32_t>(name.size())), format);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "ped") != 0 && std::strcmp(argv[1], "dxt5-2048") != 0)) {
        std::fprintf(stderr, "usage: zorvek-bench-txd ped|dxt5-2048 OUT.txd\n");
        return 2;
    }
    try {
        test::TxdLayout txd;
        txd.deviceId = 2;
        txd.alignment = 2048;
        if (std::strcmp(argv[1], "ped") == 0) {
            txd.textures = {compressed("body", 256, test::TxdPixelFormat::Dxt5),
                            compressed("head", 256, test::TxdPixelFormat::Dxt5),
                            compressed("hands", 256, test::TxdPixelFormat::Dxt5),
                            compressed("watch", 128, test::TxdPixelFormat::Bgra8888)};
        } else {
            txd.textures = {compressed("body", 2048, test::TxdPixelFormat::Dxt5),
                            compressed("head", 256, test::TxdPixelFormat::Dxt1)};
        }
        writeFileAtomically(argv[2], test::buildTxd(txd));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-txd: %s\n", error.what());
        return 1;
    }
    return 0;
}
