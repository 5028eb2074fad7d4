// libFuzzer target: any bytes as a high-score file, read, a new entry inserted, written and
// read again. The reader must never fail and the written list must always be whole.

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "scores/HighScoreList.h"

using namespace tavik;

namespace {

Liste parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return leseListe(buffer);
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
    const Liste alt = parse(bytes);
    check(alt.size() == kListPlaces);

    // A name and a score taken from the input too, so they get hostile as well.
    const QString name = QString::fromUtf8(bytes.left(40));
    const int punkte = size >= 4 ? static_cast<int>(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : 0;
    const int platz = platzFuer(alt, punkte);
    check(platz >= 0 && platz <= kListPlaces);

    const QByteArray text = listeAlsText(alt, name, punkte, platz);
    check(text.count("\r\n") == (platz > 0 ? 22 : 20));
    const Liste neu = parse(text);
    check(neu.size() == kListPlaces);
    // Every entry reads back as written: the new one at its place, the old ones around it.
    for (int k = 1; k <= kListPlaces; ++k) {
        const int from = platz > 0 && k > platz ? k - 1 : k;
        const Eintrag& e = (platz > 0 && k == platz) ? Eintrag{QString(), punkte, true} : alt[from - 1];
        check(neu[k - 1].punkte == e.punkte);
        if (!(platz > 0 && k == platz))
            check(neu[k - 1].name == parse(listeAlsText(alt, QString(), 0, 0))[from - 1].name);
    }
    return 0;
}
