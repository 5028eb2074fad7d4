// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NameOrder.h"

#include <QCollator>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/RadixSort.h"

namespace tavik {

namespace {

QCollator germanCollator()
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive); // compares letters and accents only
    collator.setNumericMode(false);
    return collator;
}

// The quick key: the primary weights of all letters (their rank among the printable ASCII
// characters in the collation), then the secondary weights (plain letter, diaeresis, the mark
// of ß). The collation compares all primaries before any secondary, and so does comparing
// these two byte strings one after the other. Control characters weigh nothing, as in ICU.
// Ranks start at 2, so a shorter key, padded with zeros, sorts first.
constexpr unsigned char kPlain = 2;
constexpr unsigned char kDiaeresis = 3;
constexpr unsigned char kSharpS = 4;

// Primary rank of each printable ASCII character, from 2 up; 0 for characters without one.
const std::array<unsigned char, 128>& asciiRanks()
{
    static const std::array<unsigned char, 128> ranks = [] {
        const QCollator collator = germanCollator();
        std::vector<char16_t> chars;
        for (char16_t c = 0x20; c < 0x7F; ++c)
            chars.push_back(c);
        auto compare = [&collator](char16_t a, char16_t b) {
            return collator.compare(QStringView(&a, 1), QStringView(&b, 1));
        };
        std::stable_sort(chars.begin(), chars.end(), [&](char16_t a, char16_t b) { return compare(a, b) < 0; });
        std::array<unsigned char, 128> r{};
        unsigned char rank = kPlain;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && compare(chars[i - 1], chars[i]) != 0)
                ++rank;
            r[chars[i]] = rank;
        }
        return r;
    }();
    return ranks;
}

// The primary quick keys of a set of names, end to end: one allocation instead of one per name.
struct QuickKeys {
    std::string primary;
    std::vector<std::uint32_t> primaryStart{0};

    std::string_view primaryOf(unsigned i) const
    {
        return std::string_view(primary).substr(primaryStart[i], primaryStart[i + 1] - primaryStart[i]);
    }
};

// Appends the primary quick key of the UTF-8 name `raw`; false when the name holds a byte
// sequence the key does not cover (any other letter, or bytes that are not UTF-8).
bool appendQuickKey(std::string_view raw, const std::array<unsigned char, 128>& ranks, QuickKeys& keys)
{
    const size_t p0 = keys.primary.size();
    keys.primary.resize(p0 + raw.size()); // each byte weighs at most once
    char* p = keys.primary.data() + p0;
    const auto* b = reinterpret_cast<const unsigned char*>(raw.data());
    const size_t n = raw.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = b[i];
        if (c < 0x7F) {
            if (c >= 0x20)
                *p++ = char(ranks[c]);
            continue;
        }
        if (c == 0x7F)
            continue;
        if (c != 0xC3 || i + 1 == n)
            return false;
        switch (b[++i]) { // the second byte of Ä ä Ö ö Ü ü ß
        case 0x84: case 0xA4: *p++ = char(ranks[u'a']); break;
        case 0x96: case 0xB6: *p++ = char(ranks[u'o']); break;
        case 0x9C: case 0xBC: *p++ = char(ranks[u'u']); break;
        case 0x9F:
            *p++ = char(ranks[u's']);
            *p++ = char(ranks[u's']);
            break;
        default:
            return false;
        }
    }
    keys.primary.resize(static_cast<size_t>(p - keys.primary.data()));
    keys.primaryStart.push_back(static_cast<std::uint32_t>(keys.primary.size()));
    return true;
}

// The secondary weights of a name the quick key covers (plain letter, diaeresis, the mark of
// ß), needed only where two primary keys tie, so built only then.
std::string secondaryKey(std::string_view raw)
{
    std::string s;
    const auto* b = reinterpret_cast<const unsigned char*>(raw.data());
    for (size_t i = 0; i < raw.size(); ++i) {
        const unsigned char c = b[i];
        if (c < 0x20 || c == 0x7F)
            continue;
        if (c < 0x7F) {
            s += char(kPlain);
        } else if (b[++i] == 0x9F) { // ß: ss, the second s marked
            s += char(kPlain);
            s += char(kSharpS);
            s += char(kPlain);
        } else {
            s += char(kPlain);
            s += char(kDiaeresis);
        }
    }
    return s;
}

std::vector<unsigned> orderByQuickKeys(const QuickKeys& keys, const RawNames& names)
{
    // Kept by the thread from one folder to the next: fresh memory of this size costs a page
    // fault per page, as much as the sort itself.
    thread_local std::vector<radix::Entry> entries, spare;
    entries.resize(names.size());
    spare.resize(names.size());
    for (unsigned i = 0; i < entries.size(); ++i)
        entries[i] = {radix::keyWord(keys.primaryOf(i), 0), radix::keyWord(keys.primaryOf(i), 8), i};
    const auto less = [&](const radix::Entry& a, const radix::Entry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        int by = keys.primaryOf(a.index).compare(keys.primaryOf(b.index));
        if (by == 0)
            by = secondaryKey(names.at(a.index)).compare(secondaryKey(names.at(b.index)));
        // Names of these letters order by their UTF-8 bytes as by their UTF-16 text.
        return by != 0 ? by < 0 : names.at(a.index) < names.at(b.index);
    };
    radix::sort(entries.data(), spare.data(), entries.size(), 0, less);
    std::vector<unsigned> order(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].index;
    return order;
}

QStringList inOrder(std::vector<QString>& names, const std::vector<unsigned>& order)
{
    QStringList sorted;
    sorted.reserve(static_cast<qsizetype>(names.size()));
    for (unsigned i : order)
        sorted.append(std::move(names[i]));
    return sorted;
}

// The name with its undecodable bytes as U+FFFD, as the collation expects well-formed text.
QString collatable(const QString& name)
{
    QString text = name;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isLowSurrogate() && !(i > 0 && text[i - 1].isHighSurrogate()))
            text[i] = QChar(QChar::ReplacementCharacter);
    return text;
}

QStringList sortedByCollator(std::vector<QString>& names)
{
    const QCollator collator = germanCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.push_back(collator.sortKey(collatable(name)));
    std::vector<unsigned> order(names.size());
    for (unsigned i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](unsigned a, unsigned b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    return inOrder(names, order);
}

} // namespace

std::optional<std::vector<unsigned>> quickGermanOrder(const RawNames& names)
{
    const auto& ranks = asciiRanks();
    thread_local QuickKeys keys; // kept from one folder to the next, as the entries are
    keys.primary.clear();
    keys.primaryStart.assign(1, 0);
    keys.primary.reserve(names.bytes.size());
    keys.primaryStart.reserve(names.size() + 1);
    for (size_t i = 0; i < names.size(); ++i)
        if (!appendQuickKey(names.at(i), ranks, keys))
            return std::nullopt;
    return orderByQuickKeys(keys, names);
}

QStringList sortedGermanly(std::vector<QString>&& names)
{
    RawNames raw;
    for (const QString& name : names)
        raw.append(name.toUtf8()); // a lone surrogate becomes U+FFFD, which the quick key leaves out
    if (auto order = quickGermanOrder(raw))
        return inOrder(names, *order);
    return sortedByCollator(names);
}

} // namespace tavik
