// A zlib stream compressed harder than zlib's own level 9, for the PNG writer's image data.
#pragma once

#include <cstddef>
#include <vector>

namespace core {

// How hard to look: at most `depth` nodes of the match finder's trees for a position the parse
// may start a match at, `insertDepth` for one inside a long match (only added to the trees), and
// `passes` rounds of parsing, each priced by the code the round before it chose.
struct DeflateEffort {
    int depth = 32;
    int insertDepth = 8;
    int passes = 2;
};

// Appends the zlib stream (a two-byte header, deflate blocks, an Adler-32) of the `size` bytes at
// `data` to `out`. Throws std::bad_alloc when memory runs out.
void ZlibCompress(const unsigned char* data, size_t size, const DeflateEffort& effort, std::vector<unsigned char>& out);

} // namespace core
