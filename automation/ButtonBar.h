#pragma once
// The main window's eight configurable drawn buttons, numbered 1 to 8 from
// left to right (index 0 here is button 1).
#include "ui/CButton.h"

#include <array>

using ButtonBar = std::array<CButton, 8>;
