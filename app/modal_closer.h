#pragma once
// Closes every modal thing the program has open, as cancelled: menus first,
// then message boxes, file dialogs, the colour dialog and every other modal
// dialog, the innermost (last shown) first. A question closes as No (Cancel
// where it has one), a file dialog as if no file was chosen.
//
// Used when the keyboard goes away and when the program ends. Nothing is
// deleted here and no event loop is run: each dialog's own loop returns once
// control gets back to it, so no dialog disappears from under its own loop,
// whatever loop this is called from.
namespace zarvel {

// How many were closed (tests).
int CloseModalThings();

}  // namespace zarvel
