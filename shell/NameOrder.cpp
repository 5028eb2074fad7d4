#include "shell/NameOrder.h"

#include <QCollator>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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

// All quick keys of a set of names, end to end: one allocation instead of one per name.
struct QuickKeys {
    std::string primary, secondary;
    std::vector<std::uint32_t> primaryStart, secondaryStart;
    bool marks = false; // some name has an umlaut or ß: the secondary weights can differ

    std::string_view primaryOf(unsigned i) const
    {
        return std::string_view(primary).substr(primaryStart[i], primaryStart[i + 1] - primaryStart[i]);
    }
    std::string_view secondaryOf(unsigned i) const
    {
        return std::string_view(secondary).substr(secondaryStart[i], secondaryStart[i + 1] - secondaryStart[i]);
    }
};

// Appends the quick key of `name`; false when the name holds a character it does not cover.
bool appendQuickKey(const QString& name, const std::array<unsigned char, 128>& ranks, QuickKeys& keys)
{
    const size_t p0 = keys.primary.size();
    const size_t s0 = keys.secondary.size();
    const size_t most = 2 * static_cast<size_t>(name.size());
    keys.primary.resize(p0 + most);
    keys.secondary.resize(s0 + most + static_cast<size_t>(name.size()));
    char* p = keys.primary.data() + p0;
    char* s = keys.secondary.data() + s0;
    for (QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c < 0x7F) {
            if (c < 0x20)
                continue;
            *p++ = char(ranks[c]);
            *s++ = char(kPlain);
            continue;
        }
        keys.marks = true;
        switch (c) {
        case 0x7F: continue;
        case u'ä': case u'Ä': *p++ = char(ranks[u'a']); break;
        case u'ö': case u'Ö': *p++ = char(ranks[u'o']); break;
        case u'ü': case u'Ü': *p++ = char(ranks[u'u']); break;
        case u'ß':
            *p++ = char(ranks[u's']);
            *p++ = char(ranks[u's']);
            *s++ = char(kPlain);
            *s++ = char(kSharpS);
            *s++ = char(kPlain);
            continue;
        default:
            return false;
        }
        *s++ = char(kPlain);
        *s++ = char(kDiaeresis);
    }
    keys.primary.resize(static_cast<size_t>(p - keys.primary.data()));
    keys.secondary.resize(static_cast<size_t>(s - keys.secondary.data()));
    keys.primaryStart.push_back(static_cast<std::uint32_t>(keys.primary.size()));
    keys.secondaryStart.push_back(static_cast<std::uint32_t>(keys.secondary.size()));
    return true;
}

// Bytes `from` .. `from` + 7 of a key as a number that orders like the bytes themselves
// (zeros past the end).
std::uint64_t keyWord(std::string_view key, size_t from)
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

QStringList inOrder(std::vector<QString>& names, const std::vector<unsigned>& order)
{
    QStringList sorted;
    sorted.reserve(static_cast<qsizetype>(names.size()));
    for (unsigned i : order)
        sorted.append(std::move(names[i]));
    return sorted;
}

// Sorting small (head, position) records keeps a folder of many thousand names quick: the
// first sixteen primary bytes settle most comparisons (camera names share long beginnings),
// and no string moves until the end.
QStringList sortedByQuickKeys(std::vector<QString>& names, const QuickKeys& keys)
{
    struct Entry {
        std::uint64_t head;
        std::uint64_t next;
        unsigned index;
    };
    std::vector<Entry> entries(names.size());
    for (unsigned i = 0; i < entries.size(); ++i)
        entries[i] = {keyWord(keys.primaryOf(i), 0), keyWord(keys.primaryOf(i), 8), i};
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        int by = keys.primaryOf(a.index).compare(keys.primaryOf(b.index));
        if (by == 0 && keys.marks)
            by = keys.secondaryOf(a.index).compare(keys.secondaryOf(b.index));
        return by != 0 ? by < 0 : names[a.index] < names[b.index];
    });
    std::vector<unsigned> order(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].index;
    return inOrder(names, order);
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

QStringList sortedGermanly(std::vector<QString>&& names)
{
    const auto& ranks = asciiRanks();
    QuickKeys keys;
    keys.primary.reserve(names.size() * 16);
    keys.secondary.reserve(names.size() * 16);
    keys.primaryStart.reserve(names.size() + 1);
    keys.secondaryStart.reserve(names.size() + 1);
    keys.primaryStart.push_back(0);
    keys.secondaryStart.push_back(0);
    for (const QString& name : names)
        if (!appendQuickKey(name, ranks, keys))
            return sortedByCollator(names);
    return sortedByQuickKeys(names, keys);
}

} // namespace tavik
