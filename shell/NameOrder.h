#pragma once
// The order of names in the folder and file lists: the German order of a reader, without
// regard to case (Ä with A, ö with o, ß with ss), as the ICU collation behind QCollator
// defines it. The collection takes the first entries of the file list, so this order also
// decides which pictures a game gets.

#include <QStringList>
#include <vector>

namespace tavik {

// Sorts `names` (consumed) and returns them in order. Names the collation holds equal (they
// differ only in case) keep a fixed order among themselves. Each name's sort key is built
// once; names made of ASCII and the German letters take a quick key with the same order.
QStringList sortedGermanly(std::vector<QString>&& names);

} // namespace tavik
