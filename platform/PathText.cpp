// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathText.h"

namespace tavik {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// The length of the valid UTF-8 sequence at `s` (at most `n` bytes), or 0 if there is none.
// Overlong forms, surrogates and code points past U+10FFFF are not valid.
int validSequence(const unsigned char* s, qsizetype n, char32_t& code)
{
    const unsigned char lead = s[0];
    int length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (n < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (s[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool hasUndecodableBytes(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isEscape(text[i].unicode()) && !(i > 0 && text[i - 1].isHighSurrogate()))
            return true;
    return false;
}

QString decodePath(QByteArrayView raw)
{
    const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
    const qsizetype n = raw.size();
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i)
        ascii = s[i] < 0x80;
    if (ascii)
        return QString::fromLatin1(raw);
    QString text;
    text.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t code = 0;
        const int length = validSequence(s + i, n - i, code);
        if (length == 0) {
            text.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
            continue;
        }
        if (code < 0x10000) {
            text.append(QChar(char16_t(code)));
        } else {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        }
        i += length;
    }
    return text;
}

QByteArray encodePath(const QString& path)
{
    if (!hasUndecodableBytes(path))
        return path.toUtf8();
    QByteArray raw;
    raw.reserve(path.size() * 3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        // An escape is a lone low surrogate; one after a high surrogate is half of a pair.
        if (!isEscape(c) || (i > 0 && QChar::isHighSurrogate(path[i - 1].unicode())))
            continue;
        raw += QStringView(path).mid(start, i - start).toUtf8();
        raw += char(c - kEscapeBase);
        start = i + 1;
    }
    raw += QStringView(path).mid(start).toUtf8();
    return raw;
}

namespace {
bool needsShowing(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || isEscape(c.unicode()))
            return true;
    return false;
}
} // namespace

QString shownText(const QString& text)
{
    if (!needsShowing(text))
        return text; // shares the data: the common case costs no copy
    QString shown = text;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (c < 0x20 || c == 0x7F)
            shown[i] = QLatin1Char('?'); // the control pictures U+2400.. are missing from common fonts
        else if (isEscape(c) && !(i > 0 && QChar::isHighSurrogate(shown[i - 1].unicode())))
            shown[i] = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}

} // namespace tavik
