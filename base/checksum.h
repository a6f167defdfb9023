// A fast 64-bit checksum of a byte stream, to tell whether two reads of a
// file gave the same bytes. It guards against files changed by accident
// (an editor saving in place, a sync tool), not against forgery.
//
// Four lanes each take 16 bytes at a time into one 64 x 64 -> 128-bit
// multiplication whose halves are folded together (as wyhash does): the
// lanes run side by side, so the sum costs about a cycle per 16 bytes. Every
// byte of a lane's input reaches all 64 bits of its state, and a lane's state
// goes on into its next step, so a change anywhere (a digit, two swapped
// values, a shift) gives an unrelated checksum: two different files agree
// with a chance of about 2^-64. The sum is the same however the stream is
// cut into pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct Checksum {
    std::uint64_t lanes[4];
    std::uint64_t length;
    unsigned char pending[64]; // the start of a stripe not yet complete
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

// One stripe of 64 bytes, 16 to each lane.
inline Lanes stripe(const Lanes& lanes, const unsigned char* p) {
    return {fold(word(p) ^ keys[0] ^ lanes.a, word(p + 8) ^ keys[1]),
            fold(word(p + 16) ^ keys[2] ^ lanes.b, word(p + 24) ^ keys[3]),
            fold(word(p + 32) ^ keys[4] ^ lanes.c, word(p + 40) ^ keys[5]),
            fold(word(p + 48) ^ keys[6] ^ lanes.d, word(p + 56) ^ keys[7])};
}

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
        const std::size_t taken = size < 64 - sum.pending_size ? size : 64 - sum.pending_size;
        std::memcpy(sum.pending + sum.pending_size, p, taken);
        sum.pending_size += taken;
        p += taken;
        size -= taken;
        if (sum.pending_size < 64) return;
        lanes = stripe(lanes, sum.pending);
        sum.pending_size = 0;
    }
    for (; size >= 64; p += 64, size -= 64) lanes = stripe(lanes, p);
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
    unsigned char last[64] = {};
    std::memcpy(last, sum.pending, sum.pending_size);
    const checksum_detail::Lanes lanes =
        checksum_detail::stripe({sum.lanes[0], sum.lanes[1], sum.lanes[2], sum.lanes[3]}, last);
    return fold(fold(lanes.a, lanes.b ^ keys[0]) ^ sum.length, fold(lanes.c, lanes.d ^ keys[1]));
}
