// Fuzz target of the GIF reader: any bytes, then every decoded row read back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/raster/picture_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kal::FileImage img;
    if (kal::read_gif({data, size}, img) != kal::PictureResult::Ok) return 0;
    std::vector<uint8_t> row(size_t(img.width()) * 3);
    for (int y = 0; y < img.height(); ++y) img.row(y, 0, img.width(), row.data());
    return 0;
}
