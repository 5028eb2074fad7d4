#include "shell/NameOrder.h"

#include <QCollator>

#include <algorithm>
#include <array>
#include <cstdint>
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
// characters in the collation), a separator, then the secondary weights (plain letter,
// diaeresis, the mark of ß). The collation compares all primaries before any secondary, and
// so does a byte comparison of these keys. Control characters weigh nothing, as in ICU.
constexpr unsigned char kSeparator = 1;
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

// Appends the quick key of `name` to `keys`; false when the name holds a character it does
// not cover. `secondary` is scratch space, kept between calls to spare allocations.
bool appendQuickKey(const QString& name, const std::array<unsigned char, 128>& ranks, std::string& keys,
                    std::string& secondary)
{
    secondary.clear();
    for (QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c < 0x20 || c == 0x7F)
            continue;
        if (c < 0x7F) {
            keys += char(ranks[c]);
            secondary += char(kPlain);
            continue;
        }
        char16_t base = 0;
        switch (c) {
        case u'ä': case u'Ä': base = u'a'; break;
        case u'ö': case u'Ö': base = u'o'; break;
        case u'ü': case u'Ü': base = u'u'; break;
        case u'ß':
            keys += char(ranks[u's']);
            keys += char(ranks[u's']);
            secondary += {char(kPlain), char(kSharpS), char(kPlain)};
            continue;
        default:
            return false;
        }
        keys += char(ranks[base]);
        secondary += {char(kPlain), char(kDiaeresis)};
    }
    keys += char(kSeparator);
    keys += secondary;
    return true;
}

// Bytes `from` .. `from` + 7 of a key as a number that orders like the bytes themselves.
std::uint64_t keyWord(std::string_view key, size_t from)
{
    std::uint64_t word = 0;
    for (size_t i = from; i < from + 8; ++i)
        word = word << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
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

// Sorting small (prefix, position) records keeps a folder of many thousand names quick: the
// first sixteen key bytes settle most comparisons (camera names share long beginnings), and no
// string moves until the end.
QStringList sortedByQuickKeys(std::vector<QString>& names, const std::string& keys,
                              const std::vector<std::uint32_t>& starts)
{
    struct Entry {
        std::uint64_t head;
        std::uint64_t next;
        unsigned index;
    };
    auto key = [&](unsigned i) { return std::string_view(keys).substr(starts[i], starts[i + 1] - starts[i]); };
    std::vector<Entry> entries(names.size());
    for (unsigned i = 0; i < entries.size(); ++i)
        entries[i] = {keyWord(key(i), 0), keyWord(key(i), 8), i};
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        const int byKey = key(a.index).compare(key(b.index));
        return byKey != 0 ? byKey < 0 : names[a.index] < names[b.index];
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
    std::string keys; // all keys end to end: one allocation instead of one per name
    keys.reserve(names.size() * 32);
    std::string secondary;
    std::vector<std::uint32_t> starts;
    starts.reserve(names.size() + 1);
    for (const QString& name : names) {
        starts.push_back(static_cast<std::uint32_t>(keys.size()));
        if (!appendQuickKey(name, ranks, keys, secondary))
            return sortedByCollator(names);
    }
    starts.push_back(static_cast<std::uint32_t>(keys.size()));
    return sortedByQuickKeys(names, keys, starts);
}

} // namespace tavik
