// zorvek-sample OUTDIR: writes the bundled sample model and its textures.

#include "sample/SampleModel.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zorvek-sample OUTDIR\n";
        return 2;
    }
    try {
        for (const auto& path : zorvek::sample::writeSampleFiles(argv[1])) {
            std::cout << path.string() << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "zorvek-sample: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
