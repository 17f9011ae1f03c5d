// Pixels of a picture and their JPEG and PNG encodings (libjpeg-turbo, libpng), apart from COM.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Top-down rows of 32-bit pixels, bytes B, G, R, X in memory (what GetDIBits gives for 32 bits).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgrx;
};

// Chosen by measurement on drawings (see tools/encoder_bench.cpp): 4:4:4 keeps thin coloured
// strokes their colour, and optimised Huffman tables cost little time for a smaller file.
struct JpegOptions {
    int quality = 100;
    bool subsample420 = false;
    bool optimizeHuffman = true;
};

// Measured the same way: on white, row filters only make a drawing larger, zlib level 9 is about
// a tenth smaller than 6 at well under a second, and a drawing without smoothed edges has few
// colours, so an exact palette keeps it lossless at a fraction of the size.
struct PngOptions {
    int filters = 0x08; // libpng PNG_FILTER_* mask; 0x08 is PNG_FILTER_NONE
    int level = 9;      // zlib level
    bool palette = true;
};

// Reads a bitmap that is not selected into any DC as 32-bit top-down pixels.
HRESULT ReadBitmapPixels(HBITMAP bitmap, Pixels& pixels);

HRESULT EncodeJpeg(const Pixels& pixels, const JpegOptions& options, std::vector<unsigned char>& file);
HRESULT EncodePng(const Pixels& pixels, const PngOptions& options, std::vector<unsigned char>& file);
