// JPEG and PNG files of plain pixels (libjpeg-turbo, libpng). Linked by the encoder component only.
#pragma once

#include "core/image.h"

namespace core {

// 4:4:4 keeps thin coloured strokes their colour, and optimised Huffman tables cost little
// time for a smaller file (see the README's encoder tables).
struct JpegOptions {
    int quality = 100; // clamped into 1..100
    bool subsample420 = false;
    bool optimizeHuffman = true;
};

// On white, row filters only make a drawing larger; zlib level 9 is about a tenth smaller than 6;
// a drawing without smoothed edges has few colours, so an exact palette keeps it lossless and small.
struct PngOptions {
    int filters = 0x08; // libpng PNG_FILTER_* mask; 0x08 is PNG_FILTER_NONE
    int level = 9;      // zlib level, clamped into 0..9
    bool palette = true;
};

EncodeStatus EncodeJpeg(const Pixels& pixels, const JpegOptions& options, std::vector<unsigned char>& file);
EncodeStatus EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file);

} // namespace core
