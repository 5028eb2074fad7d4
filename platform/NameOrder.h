// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order of names in the folder and file lists: the German order of a reader, without
// regard to case (Ä with A, ö with o, ß with ss), as the ICU collation behind QCollator
// defines it. The collection takes the first entries of the file list, so this order also
// decides which pictures a game gets.

#include <QByteArrayView>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavik {

// Sorts `names` (consumed) and returns them in order. Names the collation holds equal (they
// differ only in case) keep a fixed order among themselves. Each name's sort key is built
// once; names made of ASCII and the German letters take a quick key with the same order.
QStringList sortedGermanly(std::vector<QString>&& names);

// Names as their bytes, end to end in one buffer (a folder of many thousand names costs a few
// allocations, not one per name).
struct RawNames {
    std::string bytes;
    std::vector<std::uint32_t> starts{0};

    size_t size() const { return starts.size() - 1; }
    std::string_view at(size_t i) const
    {
        return std::string_view(bytes).substr(starts[i], starts[i + 1] - starts[i]);
    }
    void append(QByteArrayView name)
    {
        bytes.append(name.data(), static_cast<size_t>(name.size()));
        starts.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
};

// The German order of UTF-8 `names` as positions, when every name is made of ASCII and the
// German letters (the quick key covers them); nothing otherwise, and then the collation
// decides (sortedGermanly).
std::optional<std::vector<unsigned>> quickGermanOrder(const RawNames& names);

} // namespace tavik
