// Windows bitmap files: 24-bit bottom-up BI_RGB, written by the program itself.
#pragma once

#include "core/image.h"

namespace core {

EncodeStatus EncodeBmp(const Pixels& pixels, std::vector<unsigned char>& file);

} // namespace core
