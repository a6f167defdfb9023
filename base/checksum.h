// A fast 64-bit checksum of a byte stream, to tell whether two reads of a
// file gave the same bytes. It guards against files changed by accident
// (an editor saving in place, a sync tool), not against forgery.
//
// Four lanes each take 32 bytes at a time into one 64 x 64 -> 128-bit
// multiplication whose halves are folded together (as wyhash does): two
// words on each side, the second rotated, so that two words swapped give
// another product (only a word swapped with its own complement, which no
// text holds, would not). The lanes run side by side, so the sum costs
// about a cycle per 32 bytes. Every byte of a lane's input reaches all 64
// bits of its state, and a lane's state goes on into its next step, so a
// change anywhere (a digit, two swapped values, a shift) gives an unrelated
// checksum: two different files agree with a chance of about 2^-64. The sum
// is the same however the stream is cut into pieces.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

struct Checksum {
    std::uint64_t lanes[4];
    std::uint64_t length;
    unsigned char pending[128]; // the start of a stripe not yet complete
    std::size_t pending_size;
};

namespace checksum_detail {

inline constexpr std::uint64_t keys[8] = {
    0xa0761d6478bd642fu, 0xe7037ed1a0b428dbu, 0x8ebc6af09c88c6e3u, 0x589965cc75374cc3u,
    0x1d8e4e27c47d124fu, 0x9e3779b97f4a7c15u, 0xbf58476d1ce4e5b9u, 0x94d049bb133111ebu};

inline std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    __extension__ using wide = unsigned __int128;
    const wide product = static_cast<wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

inline std::uint64_t word(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The lanes while a stream is summed: values, not memory. The input's bytes
// may alias any memory, and the lanes would otherwise go through memory
// between two stripes, which would double the cost.
struct Lanes {
    std::uint64_t a, b, c, d;
};

inline std::uint64_t lane_step(std::uint64_t lane, const unsigned char* p, int k) {
    return fold(word(p) ^ std::rotl(word(p + 8), 17) ^ keys[k] ^ lane,
                word(p + 16) ^ std::rotl(word(p + 24), 31) ^ keys[k + 1]);
}

// One stripe of 128 bytes, 32 to each lane.
inline Lanes stripe(const Lanes& lanes, const unsigned char* p) {
    return {lane_step(lanes.a, p, 0), lane_step(lanes.b, p + 32, 2), lane_step(lanes.c, p + 64, 4),
            lane_step(lanes.d, p + 96, 6)};
}

inline constexpr std::size_t stripe_bytes = 128;

} // namespace checksum_detail

inline void checksum_start(Checksum& sum) {
    for (int i = 0; i < 4; ++i) sum.lanes[i] = checksum_detail::keys[7 - i];
    sum.length = 0;
    sum.pending_size = 0;
}

inline void checksum_add(Checksum& sum, const char* data, std::size_t size) {
    using checksum_detail::stripe;
    auto* p = reinterpret_cast<const unsigned char*>(data);
    sum.length += size;
    checksum_detail::Lanes lanes{sum.lanes[0], sum.lanes[1], sum.lanes[2], sum.lanes[3]};
    if (sum.pending_size > 0) {
        const std::size_t room = checksum_detail::stripe_bytes - sum.pending_size;
        const std::size_t taken = size < room ? size : room;
        std::memcpy(sum.pending + sum.pending_size, p, taken);
        sum.pending_size += taken;
        p += taken;
        size -= taken;
        if (sum.pending_size < checksum_detail::stripe_bytes) return;
        lanes = stripe(lanes, sum.pending);
        sum.pending_size = 0;
    }
    for (; size >= checksum_detail::stripe_bytes;
         p += checksum_detail::stripe_bytes, size -= checksum_detail::stripe_bytes)
        lanes = stripe(lanes, p);
    std::memcpy(sum.pending, p, size);
    sum.pending_size = size;
    sum.lanes[0] = lanes.a;
    sum.lanes[1] = lanes.b;
    sum.lanes[2] = lanes.c;
    sum.lanes[3] = lanes.d;
}

// The checksum of every byte added since the start.
inline std::uint64_t checksum_value(const Checksum& sum) {
    using checksum_detail::fold;
    using checksum_detail::keys;
    unsigned char last[checksum_detail::stripe_bytes] = {};
    std::memcpy(last, sum.pending, sum.pending_size);
    const checksum_detail::Lanes lanes =
        checksum_detail::stripe({sum.lanes[0], sum.lanes[1], sum.lanes[2], sum.lanes[3]}, last);
    return fold(fold(lanes.a, lanes.b ^ keys[0]) ^ sum.length, fold(lanes.c, lanes.d ^ keys[1]));
}
