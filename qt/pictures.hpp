// The window's pictures, drawn at run time so no image files ship with it.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace z5 {

// The logo: a chequered flag band over a dark badge with "Z5".
QPixmap drawLogo(int size);
// The face of the About window's button: a tick in a green disc.
QIcon drawOkFace(int size);

}  // namespace z5
