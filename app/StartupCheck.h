#pragma once
// "--prova-avvio": the whole start-up runs as for a player, but every modal
// window it opens (the about window, any message box) is closed as soon as
// it shows, and the program leaves once the start-up is done. Each window
// closed is named on standard error, so a check can tell the expected about
// window from an unexpected message.
#include <functional>

namespace StartupCheck {

// Runs startUp with the closing in place, then lets events go on while
// settling() is true (a connection waiting for the server's first words), at
// most settleMs, and then asks the event loop to end.
void run(const std::function<void()>& startUp, const std::function<bool()>& settling = {},
         int settleMs = 0);

} // namespace StartupCheck
