#pragma once

class QMessageBox;

namespace klipo {

// Sizes a message box to its texts: wide enough for its window title in the
// window manager's frame next to the frame's buttons, and for each line of
// its informative text up to a reading width (a narrower box breaks Chinese
// lines anywhere, mid-word included). Call after the texts are set: setting
// the informative text rebuilds the box's layout.
void fitMessageBoxToTexts(QMessageBox& box);

}  // namespace klipo
