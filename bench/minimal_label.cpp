// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline for start-up time and memory: the smallest Qt Widgets program with one label.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Tavik"));
    label.setWindowTitle(QStringLiteral("minimal_label"));
    label.show();
    return QApplication::exec();
}
