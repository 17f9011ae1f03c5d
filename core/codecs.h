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

// By default each picture is written in the smallest of the exact forms and row filters tried
// on it (see the README's encoder tables). `fixed` writes the one way every picture was written
// before: the filter mask and zlib level below, an exact palette when there are at most 256
// colours, else RGB; the benchmark compares the two.
struct PngOptions {
    bool fixed = false;
    int filters = 0x08;    // fixed: libpng PNG_FILTER_* mask; 0x08 is PNG_FILTER_NONE
    int level = 9;         // fixed: zlib level, clamped into 0..9
    bool palette = true;   // false: no palette in either strategy
    int tryFilters = 0x3F; // chosen: bit k (0 none, 1 sub, 2 up, 3 average, 4 Paeth) tries filter k on
                           // every row, bit 5 the filter chosen row by row; none when no bit is set.
                           // With all six the fixed strategy's file is a candidate too.
};

EncodeStatus EncodeJpeg(const Pixels& pixels, const JpegOptions& options, std::vector<unsigned char>& file);
EncodeStatus EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file);

} // namespace core
