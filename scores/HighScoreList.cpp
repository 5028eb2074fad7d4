#include "scores/HighScoreList.h"

#include "rules/GameClock.h"
#include "scores/Cp1252.h"

namespace tavik {

namespace {

// Reads one line of at most kMaxLineBytes; the rest of a longer line is skipped.
// False when the device is at its end before the line starts.
bool readLine(QIODevice& device, QByteArray& line)
{
    line.clear();
    char c = 0;
    if (!device.getChar(&c))
        return false;
    for (;;) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            char next = 0;
            if (device.peek(&next, 1) == 1 && next == '\n')
                device.getChar(&next);
            return true;
        }
        if (line.size() < kMaxLineBytes)
            line.append(c);
        if (!device.getChar(&c))
            return true;
    }
}

QString withoutLeadingBlanks(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    return text.mid(i);
}

} // namespace

Liste leseListe(QIODevice& device)
{
    Liste liste;
    QByteArray nameLine;
    QByteArray scoreLine;
    for (int k = 0; k < kListPlaces; ++k) {
        Eintrag e;
        e.vorhanden = readLine(device, nameLine);
        if (k == 0 && nameLine.startsWith("\xEF\xBB\xBF"))
            nameLine.remove(0, 3); // a byte-order mark left by an editor
        readLine(device, scoreLine);
        e.name = withoutLeadingBlanks(fromCp1252(nameLine));
        e.punkte = fuehrendeZahl(fromCp1252(scoreLine));
        liste.append(e);
    }
    return liste;
}

int platzFuer(const Liste& liste, int punkte)
{
    for (int k = 0; k < liste.size() && k < kListPlaces; ++k)
        if (punkte > liste[k].punkte)
            return k + 1;
    return 0;
}

QByteArray punkteZeile(int punkte)
{
    QByteArray line = QByteArray::number(punkte);
    if (punkte >= 0)
        line.prepend(' ');
    return line + ' ';
}

QByteArray listeAlsText(const Liste& alt, const QString& name, int punkte, int platz)
{
    QByteArray text;
    auto write = [&text](const QString& n, int p) {
        text += toCp1252(n) + "\r\n" + punkteZeile(p) + "\r\n";
    };
    for (int k = 1; k <= kListPlaces; ++k) {
        if (k == platz)
            write(name, punkte);
        const Eintrag e = k <= alt.size() ? alt[k - 1] : Eintrag{};
        write(e.name, e.punkte);
    }
    return text;
}

} // namespace tavik
