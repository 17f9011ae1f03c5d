// The size check every encoder makes before it reads a pixel.
#include "core/image.h"

#include <bit>
#include <cstddef>

namespace core {

// The encoders read a pixel both as a value (R in bits 16..23) and as bytes B, G, R, X.
static_assert(std::endian::native == std::endian::little, "pixels are B, G, R, X in memory");

bool ValidSize(const Pixels& pixels) {
    return pixels.width > 0 && pixels.height > 0 &&
           static_cast<long long>(pixels.width) * pixels.height <= kMaxPixels &&
           pixels.bgrx.size() == size_t(pixels.width) * size_t(pixels.height);
}

} // namespace core
