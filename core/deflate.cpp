// Deflate by optimal parsing. Hash chains find, at each position, the nearest match of every
// length; a shortest path over the positions, priced in bits by the code the previous pass chose,
// picks the literals and matches; a block ends where a new code pays for its own header.
// zlib's level 9 takes the longest match it meets and looks one byte ahead at most: on drawings
// the shortest path saves several per cent more.
#include "core/deflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <zlib.h>

namespace core {

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
// Distances stay below 32768, so a chain never reaches the ring slot its own position overwrote.
constexpr int32_t kWindow = 32768;
constexpr int kHashBits = 16;
// Positions parsed at once: bounds the parse's memory whatever the picture's size.
constexpr size_t kSegment = size_t(1) << 18;
// Match lengths priced one by one up to here; longer matches at their full length only.
constexpr int kEveryLength = 32;
// The positions inside a match this long still go into the trees but offer the parse nothing:
// pricing every length again at every byte of a run of one colour would cost more than it gains.
constexpr int kSkipAfter = 128;
// Symbols per piece when deciding where blocks end.
constexpr size_t kPiece = 2048;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct SymbolTables {
    uint8_t length[kMaxMatch + 1];
    uint8_t distance[512]; // by distance - 1 up to 256, then by (distance - 1) >> 7, as zlib does
};

constexpr SymbolTables MakeSymbolTables() {
    SymbolTables t{};
    for (int s = 0; s < 28; ++s)
        for (int l = kLengthBase[s]; l < kLengthBase[s] + (1 << kLengthExtra[s]) && l < kMaxMatch; ++l)
            t.length[l] = uint8_t(s);
    t.length[kMaxMatch] = 28;
    for (int s = 0; s < 30; ++s)
        for (int d = kDistanceBase[s]; d < kDistanceBase[s] + (1 << kDistanceExtra[s]); ++d)
            t.distance[d <= 256 ? d - 1 : 256 + ((d - 1) >> 7)] = uint8_t(s);
    return t;
}
constexpr SymbolTables kSymbols = MakeSymbolTables();

int LengthSymbol(int length) {
    return kSymbols.length[length];
}
int DistanceSymbol(int distance) {
    return kSymbols.distance[distance <= 256 ? distance - 1 : 256 + ((distance - 1) >> 7)];
}

// A literal (distance 0, the byte in `length`) or a match.
struct Symbol {
    uint16_t length;
    uint16_t distance;
};

struct Histogram {
    std::array<uint32_t, 286> litlen{};
    std::array<uint32_t, 30> distance{};

    void Add(Symbol s) {
        if (s.distance == 0) {
            ++litlen[s.length];
        } else {
            ++litlen[257 + LengthSymbol(s.length)];
            ++distance[DistanceSymbol(s.distance)];
        }
    }
    void Add(const Histogram& other) {
        for (size_t i = 0; i < litlen.size(); ++i)
            litlen[i] += other.litlen[i];
        for (size_t i = 0; i < distance.size(); ++i)
            distance[i] += other.distance[i];
    }
};

// Lengths of an optimal prefix code for `freq`, none longer than `limit`; unused symbols get 0.
// Two or more used symbols give a complete code, which inflate insists on.
void CodeLengths(const uint32_t* freq, int n, int limit, uint8_t* lengths) {
    std::fill(lengths, lengths + n, uint8_t(0));
    int order[286];
    int m = 0;
    for (int s = 0; s < n; ++s)
        if (freq[s])
            order[m++] = s;
    if (m < 2) {
        if (m == 1)
            lengths[order[0]] = 1;
        return;
    }
    std::sort(order, order + m, [&](int a, int b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a < b; });
    // Huffman's merging with two queues: the sorted leaves, and the inner nodes in the order made.
    uint64_t weight[2 * 286];
    int parent[2 * 286], depth[2 * 286];
    for (int i = 0; i < m; ++i)
        weight[i] = freq[order[i]];
    int leaf = 0, inner = m;
    for (int next = m; next < 2 * m - 1; ++next) {
        int pair[2];
        for (int& taken : pair)
            taken = leaf < m && (inner >= next || weight[leaf] <= weight[inner]) ? leaf++ : inner++;
        weight[next] = weight[pair[0]] + weight[pair[1]];
        parent[pair[0]] = parent[pair[1]] = next;
    }
    depth[2 * m - 2] = 0;
    for (int i = 2 * m - 3; i >= 0; --i)
        depth[i] = depth[parent[i]] + 1;
    // Codes over the limit are cut to it; then the rarest of the longest codes under the limit
    // grow until the lengths fit (Kraft), and the commonest of the longest shrink until the code
    // is complete again. Leaves run from rarest to commonest.
    const int64_t full = int64_t(1) << limit;
    int64_t used = 0;
    for (int i = 0; i < m; ++i) {
        depth[i] = std::min(depth[i], limit);
        used += full >> depth[i];
    }
    while (used > full) {
        int pick = -1;
        for (int i = 0; i < m; ++i)
            if (depth[i] < limit && (pick < 0 || depth[i] > depth[pick]))
                pick = i;
        used -= full >> ++depth[pick];
    }
    while (used < full) {
        int pick = -1;
        for (int i = m - 1; i >= 0; --i)
            if ((full >> depth[i]) <= full - used && (pick < 0 || depth[i] > depth[pick]))
                pick = i;
        used += full >> depth[pick]--;
    }
    for (int i = 0; i < m; ++i)
        lengths[order[i]] = uint8_t(depth[i]);
}

// Deflate's canonical codes from their lengths, bit-reversed because deflate sends codes from their
// top bit into a stream filled from the low bit.
void CanonicalCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    int count[16] = {}, next[16] = {};
    for (int s = 0; s < n; ++s)
        ++count[lengths[s]];
    count[0] = 0;
    for (int bits = 1, code = 0; bits < 16; ++bits)
        next[bits] = code = (code + count[bits - 1]) << 1;
    for (int s = 0; s < n; ++s) {
        if (!lengths[s])
            continue;
        unsigned code = unsigned(next[lengths[s]]++), reversed = 0;
        for (int b = 0; b < lengths[s]; ++b)
            reversed |= (code >> b & 1) << (lengths[s] - 1 - b);
        codes[s] = uint16_t(reversed);
    }
}

struct BitWriter {
    std::vector<unsigned char>& out;
    uint64_t bits = 0;
    int count = 0;

    void Put(uint32_t value, int n) {
        bits |= uint64_t(value) << count;
        count += n;
        while (count >= 8) {
            out.push_back(static_cast<unsigned char>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    void Align() {
        if (count)
            Put(0, 8 - count);
    }
};

// One block's two codes and the run-length coded lengths that describe them in its header.
struct BlockCode {
    uint8_t litlen[286];
    uint8_t distance[30];
    int hlit = 257, hdist = 1, hclen = 4;
    uint8_t codeLength[19];
    int ops = 0;
    uint16_t op[286 + 30]; // the symbol in the low 5 bits, a repeat's extra bits above
    size_t headerBits = 0;
};

constexpr int RepeatExtraBits(int symbol) {
    return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0;
}

// At least two used symbols in each code, so each is complete; the extra ones cost a few bits.
void Complete(uint32_t* freq, int n) {
    for (int s = 0, used = int(std::count_if(freq, freq + n, [](uint32_t f) { return f != 0; })); used < 2; ++s)
        if (!freq[s])
            freq[s] = 1, ++used;
}

void MakeBlockCode(const Histogram& h, BlockCode& c) {
    Histogram f = h;
    f.litlen[256] = 1; // end of block
    Complete(f.litlen.data(), 286);
    Complete(f.distance.data(), 30);
    CodeLengths(f.litlen.data(), 286, 15, c.litlen);
    CodeLengths(f.distance.data(), 30, 15, c.distance);
    c.hlit = 286;
    while (c.hlit > 257 && !c.litlen[c.hlit - 1])
        --c.hlit;
    c.hdist = 30;
    while (c.hdist > 1 && !c.distance[c.hdist - 1])
        --c.hdist;
    uint8_t all[286 + 30];
    std::copy(c.litlen, c.litlen + c.hlit, all);
    std::copy(c.distance, c.distance + c.hdist, all + c.hlit);
    const int total = c.hlit + c.hdist;
    uint32_t freq[19] = {};
    c.ops = 0;
    for (int i = 0; i < total;) {
        const int value = all[i];
        int run = 1;
        while (i + run < total && all[i + run] == value)
            ++run;
        int symbol = value, extra = 0, taken = 1;
        if (value == 0 && run >= 3) {
            taken = std::min(run, 138);
            symbol = taken >= 11 ? 18 : 17;
            extra = taken - (taken >= 11 ? 11 : 3);
        } else if (value != 0 && i > 0 && all[i - 1] == value && run >= 3) {
            taken = std::min(run, 6);
            symbol = 16;
            extra = taken - 3;
        }
        c.op[c.ops++] = uint16_t(symbol | extra << 5);
        ++freq[symbol];
        i += taken;
    }
    Complete(freq, 19);
    CodeLengths(freq, 19, 7, c.codeLength);
    c.hclen = 19;
    while (c.hclen > 4 && !c.codeLength[kCodeLengthOrder[c.hclen - 1]])
        --c.hclen;
    c.headerBits = 5 + 5 + 4 + 3 * size_t(c.hclen);
    for (int i = 0; i < c.ops; ++i)
        c.headerBits += c.codeLength[c.op[i] & 31] + RepeatExtraBits(c.op[i] & 31);
}

size_t DataBits(const Histogram& h, const uint8_t* litlen, const uint8_t* distance) {
    size_t bits = litlen[256];
    for (int s = 0; s < 256; ++s)
        bits += size_t(h.litlen[s]) * litlen[s];
    for (int s = 0; s < 29; ++s)
        bits += size_t(h.litlen[257 + s]) * (litlen[257 + s] + kLengthExtra[s]);
    for (int s = 0; s < 30; ++s)
        bits += size_t(h.distance[s]) * (distance[s] + kDistanceExtra[s]);
    return bits;
}

struct FixedCode {
    uint8_t litlen[288];
    uint8_t distance[30];
};

constexpr FixedCode MakeFixedCode() {
    FixedCode c{};
    for (int s = 0; s < 288; ++s)
        c.litlen[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    for (uint8_t& d : c.distance)
        d = 5;
    return c;
}
constexpr FixedCode kFixed = MakeFixedCode();

size_t StoredBits(size_t bytes) {
    const size_t blocks = std::max<size_t>(1, (bytes + 65534) / 65535);
    return blocks * (3 + 7 + 32) + 8 * bytes; // the padding to a byte counted at its worst
}

enum class BlockType { Stored, Fixed, Dynamic };

struct BlockChoice {
    BlockType type;
    size_t bits;
};

BlockChoice CheapestBlock(const Histogram& h, size_t bytes, BlockCode& code) {
    MakeBlockCode(h, code);
    BlockChoice best{BlockType::Dynamic, 3 + code.headerBits + DataBits(h, code.litlen, code.distance)};
    const size_t fixed = 3 + DataBits(h, kFixed.litlen, kFixed.distance);
    if (fixed < best.bits)
        best = {BlockType::Fixed, fixed};
    if (StoredBits(bytes) < best.bits)
        best = {BlockType::Stored, StoredBits(bytes)};
    return best;
}

// `litlenSymbols`: 288 for the fixed code, whose two unused symbols still take their codes.
void WriteSymbols(BitWriter& w, const Symbol* symbols, size_t count, const uint8_t* litlen, int litlenSymbols,
                  const uint8_t* distance) {
    uint16_t litlenCode[288] = {}, distanceCode[30] = {};
    CanonicalCodes(litlen, litlenSymbols, litlenCode);
    CanonicalCodes(distance, 30, distanceCode);
    for (size_t i = 0; i < count; ++i) {
        const Symbol s = symbols[i];
        if (s.distance == 0) {
            w.Put(litlenCode[s.length], litlen[s.length]);
            continue;
        }
        const int ls = LengthSymbol(s.length), ds = DistanceSymbol(s.distance);
        w.Put(litlenCode[257 + ls], litlen[257 + ls]);
        w.Put(uint32_t(s.length - kLengthBase[ls]), kLengthExtra[ls]);
        w.Put(distanceCode[ds], distance[ds]);
        w.Put(uint32_t(s.distance - kDistanceBase[ds]), kDistanceExtra[ds]);
    }
    w.Put(litlenCode[256], litlen[256]);
}

void WriteBlock(BitWriter& w, const Symbol* symbols, size_t count, const unsigned char* bytes, size_t byteCount,
                bool last) {
    Histogram h;
    for (size_t i = 0; i < count; ++i)
        h.Add(symbols[i]);
    BlockCode code;
    switch (CheapestBlock(h, byteCount, code).type) {
    case BlockType::Stored:
        do {
            const size_t n = std::min<size_t>(byteCount, 65535);
            w.Put(last && n == byteCount, 1);
            w.Put(0, 2);
            w.Align();
            w.Put(uint32_t(n), 16);
            w.Put(uint32_t(n) ^ 0xFFFF, 16);
            w.out.insert(w.out.end(), bytes, bytes + n);
            bytes += n;
            byteCount -= n;
        } while (byteCount);
        break;
    case BlockType::Fixed:
        w.Put(last, 1);
        w.Put(1, 2);
        WriteSymbols(w, symbols, count, kFixed.litlen, 288, kFixed.distance);
        break;
    case BlockType::Dynamic: {
        w.Put(last, 1);
        w.Put(2, 2);
        w.Put(uint32_t(code.hlit - 257), 5);
        w.Put(uint32_t(code.hdist - 1), 5);
        w.Put(uint32_t(code.hclen - 4), 4);
        for (int i = 0; i < code.hclen; ++i)
            w.Put(code.codeLength[kCodeLengthOrder[i]], 3);
        uint16_t clCode[19] = {};
        CanonicalCodes(code.codeLength, 19, clCode);
        for (int i = 0; i < code.ops; ++i) {
            const int symbol = code.op[i] & 31;
            w.Put(clCode[symbol], code.codeLength[symbol]);
            w.Put(code.op[i] >> 5, RepeatExtraBits(symbol));
        }
        WriteSymbols(w, symbols, count, code.litlen, 286, code.distance);
        break;
    }
    }
}

size_t SymbolBytes(Symbol s) {
    return s.distance ? s.length : 1;
}

// Blocks over the parse: pieces of kPiece symbols join the block before them while one code for
// both costs less than two.
void WriteBlocks(BitWriter& w, const std::vector<Symbol>& symbols, const unsigned char* bytes, bool last) {
    size_t start = 0, startByte = 0, end = 0, endByte = 0;
    Histogram block;
    BlockCode scratch;
    while (end < symbols.size()) {
        Histogram piece;
        size_t pieceEnd = std::min(symbols.size(), end + kPiece), pieceBytes = 0;
        for (size_t i = end; i < pieceEnd; ++i) {
            piece.Add(symbols[i]);
            pieceBytes += SymbolBytes(symbols[i]);
        }
        if (end > start) {
            Histogram joined = block;
            joined.Add(piece);
            const size_t apart = CheapestBlock(block, endByte - startByte, scratch).bits +
                                 CheapestBlock(piece, pieceBytes, scratch).bits;
            if (CheapestBlock(joined, endByte - startByte + pieceBytes, scratch).bits > apart) {
                WriteBlock(w, symbols.data() + start, end - start, bytes + startByte, endByte - startByte, false);
                start = end, startByte = endByte, block = Histogram{};
            }
        }
        block.Add(piece);
        end = pieceEnd, endByte += pieceBytes;
    }
    WriteBlock(w, symbols.data() + start, end - start, bytes + startByte, endByte - startByte, last);
}

// Prices in sixteenths of a bit, extra bits included.
struct Prices {
    uint32_t literal[256];
    uint32_t length[kMaxMatch + 1];
    uint32_t distance[30];

    uint32_t Match(Symbol s) const { return length[s.length] + distance[DistanceSymbol(s.distance)]; }
};

// A symbol's price is its information, -log2 of its share, kept between the 1 and 15 bits a
// code can give it; an unused one is priced as half a use.
uint32_t Price(uint32_t count, uint32_t total) {
    const double bits = std::log2(double(std::max(total, 1u)) / (count ? double(count) : 0.5));
    return uint32_t(std::lround(16 * std::clamp(bits, 1.0, 15.0)));
}

void PricesFrom(const Histogram& h, Prices& p) {
    uint32_t litlenTotal = 1, distanceTotal = 0;
    for (uint32_t c : h.litlen)
        litlenTotal += c;
    for (uint32_t c : h.distance)
        distanceTotal += c;
    for (int b = 0; b < 256; ++b)
        p.literal[b] = Price(h.litlen[b], litlenTotal);
    for (int l = kMinMatch; l <= kMaxMatch; ++l) {
        const int s = LengthSymbol(l);
        p.length[l] = Price(h.litlen[257 + s], litlenTotal) + 16 * kLengthExtra[s];
    }
    for (int s = 0; s < 30; ++s)
        p.distance[s] = Price(h.distance[s], distanceTotal) + 16 * kDistanceExtra[s];
}

// The first pass's prices: literals by the bytes' own frequencies, matches as the fixed code
// prices them (7 or 8 bits a length, 5 a distance).
void FirstPrices(const unsigned char* bytes, size_t n, Prices& p) {
    Histogram h;
    for (size_t i = 0; i < n; ++i)
        ++h.litlen[bytes[i]];
    PricesFrom(h, p);
    for (int l = kMinMatch; l <= kMaxMatch; ++l) {
        const int s = LengthSymbol(l);
        p.length[l] = 16 * (kFixed.litlen[257 + s] + kLengthExtra[s]);
    }
    for (int s = 0; s < 30; ++s)
        p.distance[s] = 16 * (5 + kDistanceExtra[s]);
}

// Binary trees of the positions, one for each hash of three bytes, ordered by the bytes that
// follow: a search walks towards the strings most like its own, so it meets the longer matches
// early even where a picture repeats the same few bytes everywhere, as hash chains would not.
struct Matcher {
    Matcher(const unsigned char* bytes, size_t n) : data(bytes), size(n) {}

    const unsigned char* data;
    size_t size;
    std::vector<int32_t> head = std::vector<int32_t>(size_t(1) << kHashBits, -1);
    std::vector<int32_t> child = std::vector<int32_t>(2 * size_t(kWindow), -1); // smaller, larger
    // Over the segment being parsed (from runBase): how far each position agrees with the one a
    // byte on and the one three bytes (an RGB pixel) on, up to kMaxMatch. A run of one colour
    // then meets its own previous byte or pixel at its tree's root without comparing 258 bytes.
    size_t runBase = 0;
    std::vector<uint16_t> sameAsNext[2];

    void PrepareRuns(size_t start, size_t n) {
        runBase = start >= 3 ? start - 3 : 0;
        const size_t end = std::min(size, start + n + kMaxMatch + 4); // exact for every position before start + n
        for (int k = 0; k < 2; ++k) {
            const size_t distance = k ? 3 : 1;
            std::vector<uint16_t>& same = sameAsNext[k];
            same.resize(end - runBase);
            for (size_t j = end; j-- > runBase;) {
                const bool equal = j + distance < size && data[j] == data[j + distance];
                const int after = j + 1 < end ? same[j + 1 - runBase] : 0;
                same[j - runBase] = uint16_t(equal ? std::min(after + 1, kMaxMatch) : 0);
            }
        }
    }

    // The common length of `node` and p when p is one byte or one pixel after it, else -1.
    int KnownLength(int32_t node, size_t p) const {
        const size_t distance = p - size_t(node);
        if ((distance != 1 && distance != 3) || size_t(node) < runBase)
            return -1;
        return sameAsNext[distance == 3][size_t(node) - runBase];
    }

    uint32_t Hash(size_t p) const {
        const uint32_t v = uint32_t(data[p]) | uint32_t(data[p + 1]) << 8 | uint32_t(data[p + 2]) << 16;
        return (v * 0x9E3779B1u) >> (32 - kHashBits);
    }

    static int CommonLength(const unsigned char* a, const unsigned char* b, int limit) {
        int n = 0;
        if constexpr (std::endian::native == std::endian::little) {
            for (; n + 8 <= limit; n += 8) {
                uint64_t x, y;
                std::memcpy(&x, a + n, 8);
                std::memcpy(&y, b + n, 8);
                if (x != y)
                    return n + std::countr_zero(x ^ y) / 8;
            }
        }
        while (n < limit && a[n] == b[n])
            ++n;
        return n;
    }

    // Puts position p at the root of its tree, walking at most `depth` nodes, and when `out` is
    // given appends the nearest match of each length longer than the one before, none longer than
    // `keep`. Returns the longest length met (2 for none). A walk cut short drops the older nodes
    // below it: they are only older strings, never a wrong one.
    int Find(size_t p, int keep, std::vector<Symbol>* out, int depth) {
        if (p + kMinMatch > size)
            return kMinMatch - 1;
        const int limit = int(std::min<size_t>(kMaxMatch, size - p));
        const uint32_t h = Hash(p);
        int32_t node = head[h];
        head[h] = int32_t(p);
        int32_t* smaller = &child[2 * (p & (kWindow - 1))];
        int32_t* larger = smaller + 1;
        int smallerLength = 0, largerLength = 0, best = kMinMatch - 1, kept = kMinMatch - 1;
        const unsigned char* here = data + p;
        for (int left = depth;; --left) {
            if (node < 0 || int32_t(p) - node >= kWindow || left == 0) {
                *smaller = *larger = -1;
                return best;
            }
            const unsigned char* there = data + node;
            int length = std::min(smallerLength, largerLength);
            const int known = KnownLength(node, p);
            bool met = true;
            if (known >= 0)
                length = std::min(known, limit);
            else if (there[length] == here[length])
                length += 1 + CommonLength(there + length + 1, here + length + 1, limit - length - 1);
            else
                met = false;
            if (met) {
                if (length > best) {
                    best = length;
                    if (out && std::min(length, keep) > kept) {
                        kept = std::min(length, keep);
                        out->push_back({uint16_t(kept), uint16_t(int32_t(p) - node)});
                    }
                }
                if (length >= limit) { // the same string: p takes the node's place
                    *smaller = child[2 * (node & (kWindow - 1))];
                    *larger = child[2 * (node & (kWindow - 1)) + 1];
                    return best;
                }
            }
            if (there[length] < here[length]) {
                *smaller = node;
                smaller = &child[2 * (node & (kWindow - 1)) + 1];
                node = *smaller;
                smallerLength = length;
            } else {
                *larger = node;
                larger = &child[2 * (node & (kWindow - 1))];
                node = *larger;
                largerLength = length;
            }
        }
    }
};

// The cheapest sequence of literals and candidate matches over `n` bytes (a shortest path,
// positions as nodes), under `prices`.
void Parse(const unsigned char* bytes, size_t n, const std::vector<Symbol>& candidates,
           const std::vector<uint32_t>& first, const Prices& prices, std::vector<uint32_t>& cost,
           std::vector<Symbol>& step, std::vector<Symbol>& out) {
    cost.assign(n + 1, UINT32_MAX);
    step.resize(n + 1);
    cost[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t here = cost[i];
        if (here + prices.literal[bytes[i]] < cost[i + 1]) {
            cost[i + 1] = here + prices.literal[bytes[i]];
            step[i + 1] = {bytes[i], 0};
        }
        int shorter = kMinMatch - 1;
        for (uint32_t k = first[i]; k < first[i + 1]; ++k) {
            const Symbol m = candidates[k];
            const uint32_t distancePrice = prices.distance[DistanceSymbol(m.distance)];
            const int top = std::min<int>(m.length, kEveryLength);
            for (int l = shorter + 1; l <= top; ++l) {
                const uint32_t c = here + prices.length[l] + distancePrice;
                if (c < cost[i + l]) {
                    cost[i + l] = c;
                    step[i + l] = {uint16_t(l), m.distance};
                }
            }
            if (m.length > kEveryLength) {
                const uint32_t c = here + prices.length[m.length] + distancePrice;
                if (c < cost[i + m.length]) {
                    cost[i + m.length] = c;
                    step[i + m.length] = m;
                }
            }
            shorter = m.length;
        }
    }
    out.clear();
    for (size_t i = n; i > 0; i -= SymbolBytes(step[i]))
        out.push_back(step[i]);
    std::reverse(out.begin(), out.end());
}

} // namespace

void ZlibCompress(const unsigned char* data, size_t size, const DeflateEffort& effort,
                  std::vector<unsigned char>& out) {
    out.push_back(0x78); // deflate with a 32 KB window
    out.push_back(0xDA); // "maximum compression", and the check bits
    BitWriter w{out};
    Matcher matcher{data, size};
    std::vector<Symbol> candidates, symbols, step;
    std::vector<uint32_t> first, cost;
    Prices prices;
    for (size_t start = 0; start < size;) {
        const size_t n = std::min(kSegment, size - start);
        const unsigned char* bytes = data + start;
        candidates.clear();
        first.assign(n + 1, 0);
        matcher.PrepareRuns(start, n);
        for (size_t i = 0; i < n;) {
            first[i] = uint32_t(candidates.size());
            const int best = matcher.Find(start + i, int(std::min<size_t>(kMaxMatch, n - i)), &candidates,
                                          std::max(1, effort.depth));
            if (best < kSkipAfter) {
                ++i;
                continue;
            }
            for (size_t k = 1; k < size_t(best) && i + k < n; ++k) {
                first[i + k] = uint32_t(candidates.size());
                matcher.Find(start + i + k, 0, nullptr, std::max(1, effort.insertDepth));
            }
            i += size_t(best);
        }
        first[n] = uint32_t(candidates.size());
        FirstPrices(bytes, n, prices);
        for (int pass = 0; pass < std::max(1, effort.passes); ++pass) {
            if (pass > 0) {
                Histogram h;
                for (Symbol s : symbols)
                    h.Add(s);
                PricesFrom(h, prices);
            }
            Parse(bytes, n, candidates, first, prices, cost, step, symbols);
        }
        start += n;
        WriteBlocks(w, symbols, bytes, start == size);
    }
    if (size == 0) {
        w.Put(1, 1); // a last, fixed-code block holding only its end
        w.Put(1, 2);
        w.Put(0, 7);
    }
    w.Align();
    uLong check = adler32(0, nullptr, 0);
    for (size_t done = 0; done < size;) {
        const uInt n = uInt(std::min<size_t>(size - done, 1u << 30));
        check = adler32(check, data + done, n);
        done += n;
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(check >> shift));
}

} // namespace core
