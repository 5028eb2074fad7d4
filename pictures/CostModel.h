// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What decoding a picture will cost, predicted from its header alone, and the budget a
// decode must stay within. The constants are measured on the development machine (2 cores,
// libjpeg-turbo 2.1 behind Qt 6.4); tools/measure_picture_cost checks them again.

#include <QSize>

#include "pictures/PictureHeader.h"

namespace tavik {

struct DecodeCost {
    double cpuMs = 0;  // processor time of one decode at the requested size
    qint64 bytes = 0;  // the largest memory the decode holds at once
};

// At most a quarter second of one core and 64 MB for one picture.
constexpr double kBudgetCpuMs = 250.0;
constexpr qint64 kBudgetBytes = 64ll * 1024 * 1024;

// The side of the largest size a picture is ever drawn at (the 169-pixel box at three
// device pixels per pixel): a picture taken into a game must fit the budget there.
constexpr int kLargestDrawnSide = 3 * 169;

// The cost of decoding a file with this header at `device` pixels (the scaled result).
// `fileBytes` is the length of the file: entropy decoding grows with it.
DecodeCost predictDecodeCost(const PictureHeader& header, qint64 fileBytes, QSize device);

bool withinBudget(const DecodeCost& cost);

// The reduction the JPEG decoder applies while decoding (1, 2, 4 or 8) when asked for
// `device`, chosen as the image reader chooses it.
int jpegScaleDenominator(QSize stored, QSize device);

} // namespace tavik
