#pragma once
// "--prova-avvio": the whole start-up runs as for a player, but every modal
// window it opens (the about window, any message box) is closed as soon as
// it shows, and the program leaves once the start-up is done. Each window
// closed is named on standard error, so a check can tell the expected about
// window from an unexpected message.
#include <functional>

namespace StartupCheck {

// Runs startUp with the closing in place, then asks the event loop to end.
void run(const std::function<void()>& startUp);

} // namespace StartupCheck
