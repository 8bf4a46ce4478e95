#pragma once
// The folder-browse dialog of the program.

#include <string>

class QWidget;

namespace tv {

// Shows the folder dialog over the active window and lets the user choose a
// folder. mode 0: folders only, the chosen path shown in place of the
// title; 1: with a status line that shows the path; 2: with an edit box
// that shows it; 3: resizable, no path shown; other modes: no path shown
// and OK for any item. Non-empty texts replace the dialog's caption, OK and
// Cancel texts; title is the text above the tree. The dialog starts at
// folder (at the computer when empty) and is centred on centreOn when given.
// OK is disabled while the current item is no existing folder. True with
// folder set when the user chose a folder that still exists; otherwise
// false and folder unchanged. GUI thread only.
bool BrowseForFolder(std::string& folder, int mode, const std::string& caption, const std::string& title,
                     const std::string& okText, const std::string& cancelText, QWidget* centreOn);

// The dialog's flags for a mode.
unsigned BrowseFlags(int mode);

} // namespace tv
