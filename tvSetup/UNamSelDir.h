#pragma once
// The folder dialog of the setup: its edit box proposes the selected folder
// with the program's own folder name added, and what the user types there
// wins over the proposal.

#include <string>

namespace tv {

// Shows the dialog at folder (at the computer when empty). Non-empty
// caption, Cancel and OK texts replace the dialog's own; title is the line
// above the tree. True when the user chose OK: folder is then the edit
// box's text (or the selected folder when the box was emptied). defaultName
// must be given trimmed. GUI thread only.
bool BrowseNamedDir(const std::string& defaultName, std::string& folder, const std::string& caption,
                    const std::string& cancelText, const std::string& okText, const std::string& title);

} // namespace tv
