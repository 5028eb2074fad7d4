#pragma once
#include <QWidget>

namespace tavik {

// Moves a top-level window to the centre of the screen it will appear on.
void centreOnScreen(QWidget* window);

} // namespace tavik
