// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sorting many keys that share long beginnings, as the names of a camera's folder do: by
// their first sixteen bytes one byte at a time, then by comparison only where they tie.
// Comparison sorting of a hundred thousand camera names, which share their first eight
// bytes, took longer than reading the folder.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tavik::radix {

// Bytes `from` .. `from` + 7 of a key as a number that orders like the bytes themselves
// (zeros past the end).
inline std::uint64_t keyWord(std::string_view key, size_t from)
{
    unsigned char bytes[8] = {};
    if (from < key.size())
        std::memcpy(bytes, key.data() + from, std::min<size_t>(8, key.size() - from));
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    if constexpr (std::endian::native == std::endian::little)
        word = __builtin_bswap64(word); // the first byte becomes the most significant
    return word;
}

// A key's first sixteen bytes and the position of what it belongs to.
struct Entry {
    std::uint64_t head;
    std::uint64_t next;
    unsigned index;
};

inline unsigned char byteOf(const Entry& e, int at)
{
    return static_cast<unsigned char>(at < 8 ? e.head >> (56 - 8 * at) : e.next >> (56 - 8 * (at - 8)));
}

// Sorts `a` (n entries, `spare` as large) by the sixteen head bytes from byte `at` on, one
// byte at a time, most significant first (a byte all entries share costs one counting pass
// and no move), then by `less` where they tie or a group is small.
template <typename Less>
void sort(Entry* a, Entry* spare, size_t n, int at, const Less& less)
{
    while (n > 48 && at < 16) {
        size_t count[256] = {};
        for (size_t i = 0; i < n; ++i)
            ++count[byteOf(a[i], at)];
        if (count[byteOf(a[0], at)] == n) {
            ++at;
            continue;
        }
        size_t start[256];
        size_t sum = 0;
        for (int v = 0; v < 256; ++v) {
            start[v] = sum;
            sum += count[v];
        }
        for (size_t i = 0; i < n; ++i)
            spare[start[byteOf(a[i], at)]++] = a[i];
        std::copy(spare, spare + n, a);
        size_t from = 0;
        for (int v = 0; v < 256; ++v) {
            if (count[v] > 1)
                sort(a + from, spare + from, count[v], at + 1, less);
            from += count[v];
        }
        return;
    }
    std::sort(a, a + n, less);
}

} // namespace tavik::radix
