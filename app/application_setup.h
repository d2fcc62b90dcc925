#pragma once

namespace tumbo {

// Gives the application the look every window of the program shares: the Fusion style
// with menus that show where the keyboard is, and the program's icon. Call once, right
// after the QApplication is made.
void SetUpApplication();

}  // namespace tumbo
