// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File names as text. A name on disk is a string of bytes; most are UTF-8, but a folder copied
// from an old camera or another system may not be. Such bytes ride along in the text as the
// code points U+DC80..U+DCFF (which valid UTF-8 can never produce), so that every listed name
// can be opened again by its exact bytes; what the player sees replaces them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavik {

// The bytes of a name or path as text: valid UTF-8 decoded, every other byte b as U+DC00 + b.
QString decodePath(QByteArrayView raw);

// The exact bytes again: the inverse of decodePath for every text it produces.
QByteArray encodePath(const QString& path);

// True when `text` carries bytes that are not valid UTF-8.
bool hasUndecodableBytes(const QString& text);

// What a list or a message shows of a name or path: undecodable bytes as U+FFFD and control
// characters as "?", so a line break cannot split a row or a message.
QString shownText(const QString& text);

} // namespace tavik
