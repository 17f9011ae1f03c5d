// A picture as plain pixels, shared by the encoders and the program.
#pragma once

#include <cstdint>
#include <vector>

namespace core {

// Top-down rows of 32-bit pixels, bytes B, G, R, X in memory (what GetDIBits gives for 32 bits).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgrx;
};

// Largest picture accepted: far above any canvas, far below where sizes could overflow.
inline constexpr long long kMaxPixels = 64LL * 1024 * 1024;

// A positive size within kMaxPixels whose pixel vector holds exactly width x height pixels.
bool ValidSize(const Pixels& pixels);

enum class EncodeStatus { Ok, BadSize, OutOfMemory, Failed };

} // namespace core
