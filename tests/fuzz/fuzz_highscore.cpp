// libFuzzer target: any bytes as a high-score file, read, a new entry inserted, written and
// read again. The reader must never fail and the written list must always be whole.

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "scores/Cp1252.h"
#include "scores/HighScoreList.h"

using namespace tavik;

namespace {

ScoreList parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readList(buffer);
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ScoreList old = parse(bytes);
    check(old.size() == kListPlaces);

    // A name and a score taken from the input too, so they get hostile as well.
    const QString name = QString::fromUtf8(bytes.left(40));
    const int score = size >= 4 ? static_cast<int>(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : 0;
    const int place = placeFor(old, score);
    check(place >= 0 && place <= kListPlaces);

    const QByteArray text = listAsText(old, name, score, place);
    check(text.count("\r\n") == (place > 0 ? 22 : 20));
    const ScoreList neu = parse(text);
    check(neu.size() == kListPlaces);
    // Every entry reads back as its own line would: the new one at its place, the old ones
    // around it (the first line alone may lose a byte-order mark, read as such).
    for (int k = 1; k <= kListPlaces; ++k) {
        const bool isNew = place > 0 && k == place;
        const int from = place > 0 && k > place ? k - 1 : k;
        check(neu[k - 1].score == (isNew ? score : old[from - 1].score));
        const QByteArray line = toCp1252(isNew ? name : old[from - 1].name) + "\r\n 0 \r\n";
        const QString want = k == 1 ? parse(line)[0].name : parse("x\r\n 0 \r\n" + line)[1].name;
        check(neu[k - 1].name == want);
    }
    return 0;
}
