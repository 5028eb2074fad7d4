// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ScreenReader.h"

#include <QAccessibleWidget>

namespace tavik {

namespace {

QAccessibleInterface* roleOf(const QString& className, QObject* object)
{
    // Asked with each class name up the hierarchy, so ours come before QFrame's and QWidget's.
    if (className == QLatin1String(Panel::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<Panel*>(object), QAccessible::Grouping);
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<Announcer*>(object), QAccessible::Notification);
    return nullptr;
}

// At the program's start, before any widget: Qt keeps the interface it made first for a widget.
const struct RolesInstaller {
    RolesInstaller() { QAccessible::installFactory(roleOf); }
} rolesInstaller;

} // namespace

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("announcer"));
    hide(); // never drawn: it only carries the lines
}

void Announcer::say(const QString& text)
{
    setAccessibleName(text);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace tavik
