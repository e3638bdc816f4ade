// SHA-256 (FIPS 180-4), fed in pieces: what tells a shipped file that is
// unchanged from one that was edited.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct Sha256 {
    std::array<std::uint32_t, 8> state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> block{};
    std::size_t filled = 0;  // bytes waiting in `block`
    std::uint64_t total = 0; // bytes fed so far
};

void Sha256Add(Sha256 &hash, const std::uint8_t *data, std::size_t size);
// The digest of everything added, as 64 lowercase hex digits; `hash` is used up.
std::string Sha256Hex(Sha256 &hash);
