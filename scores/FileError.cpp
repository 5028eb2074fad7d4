// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/FileError.h"

#include <QChar>
#include <cerrno>
#include <cstring>

namespace tavik {

namespace {

QString systemReason(int number)
{
    switch (number) {
    case kNotARegularFile: return QStringLiteral("Es ist keine gewöhnliche Datei.");
    case EACCES:
    case EPERM: return QStringLiteral("Keine Berechtigung.");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("Kein Platz mehr auf dem Datenträger.");
    case EFBIG: return QStringLiteral("Die Datei wäre zu groß.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT: return QStringLiteral("Der Ordner existiert nicht.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR: return QStringLiteral("Es ist ein Ordner, keine Datei.");
    case ELOOP: return QStringLiteral("Es ist eine symbolische Verknüpfung oder eine Kette davon.");
    case EEXIST: return QStringLiteral("Eine Datei dieses Namens ist im Weg.");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler des Datenträgers.");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("Die Datei wird gerade benutzt.");
    case EWOULDBLOCK: return QStringLiteral("Ein anderes Spiel schreibt die Liste gerade.");
    case ENAMETOOLONG: return QStringLiteral("Der Pfad ist zu lang.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Zu viele offene Dateien.");
    case ENOMEM: return QStringLiteral("Nicht genug Arbeitsspeicher.");
    case ESTALE: return QStringLiteral("Die Datei auf dem Netzlaufwerk ist nicht mehr gültig.");
    case ENXIO:
    case ENODEV: return QStringLiteral("Das Gerät ist nicht vorhanden.");
    case EINTR: return QStringLiteral("Der Vorgang wurde unterbrochen.");
    default:
        return QStringLiteral("Systemfehler %1: %2").arg(number).arg(QString::fromLocal8Bit(std::strerror(number)));
    }
}

} // namespace

QString reasonText(const FileError& error)
{
    if (error.step == FileError::Step::ReadOnly)
        return QStringLiteral("Die Datei ist schreibgeschützt.");
    if (error.step == FileError::Step::NoAnswer)
        return QStringLiteral("Der Datenträger reagiert nicht rechtzeitig (vielleicht ein Netzlaufwerk, das nicht mehr erreichbar ist).");
    return systemReason(error.number);
}

namespace {

QString quoted(const FileError& error)
{
    return QLatin1Char('\'') + error.path + QLatin1Char('\'');
}

} // namespace

QString errorMessage(const FileError& error)
{
    const QChar cr(13);
    const QString quoted = tavik::quoted(error);
    switch (error.step) {
    case FileError::Step::NoAnswer:
        return QStringLiteral("Die Highscoreliste ") + quoted + QStringLiteral(" antwortet nicht:") + cr
               + reasonText(error) + cr + QStringLiteral("Sie bleibt unverändert; dieses Ergebnis wird nicht eingetragen.");
    case FileError::Step::Read:
        return QStringLiteral("Die Highscoreliste ") + quoted + QStringLiteral(" konnte nicht gelesen werden:") + cr
               + reasonText(error) + cr + QStringLiteral("Sie bleibt unverändert; dieses Ergebnis wird nicht eingetragen.");
    case FileError::Step::ReadOnly:
        return QStringLiteral("Die Highscoreliste ") + quoted + QStringLiteral(" ist schreibgeschützt.") + cr
               + QStringLiteral("Sie bleibt unverändert; dieses Ergebnis wird nicht eingetragen.");
    case FileError::Step::Lock:
    case FileError::Step::Write:
        break;
    }
    return QStringLiteral("Die Datei ") + quoted + QStringLiteral(" konnte nicht geschrieben werden:") + cr
           + reasonText(error) + cr + QStringLiteral("Die bisherige Liste bleibt erhalten.");
}

QString displayErrorMessage(const FileError& error)
{
    const QString verb = error.step == FileError::Step::NoAnswer ? QStringLiteral(" antwortet nicht:")
                                                                 : QStringLiteral(" konnte nicht gelesen werden:");
    return QStringLiteral("Die Highscoreliste ") + quoted(error) + verb + QChar(13) + reasonText(error);
}

} // namespace tavik
