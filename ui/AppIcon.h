#pragma once
// The program's icon for its windows: each size is drawn when the window
// system asks for it and not kept. A window manager reads every size once
// (up to 256 pixels) when a window is made; holding them all would keep
// half a megabyte of pictures for the whole session.
#include <QIcon>

namespace AppIcon {
inline constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};
QIcon make();
} // namespace AppIcon
