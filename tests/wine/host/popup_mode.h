// The shell host's popup mode: shows the real menu with TrackPopupMenuEx so a real mouse click
// picks the item, then runs the picked command.
#pragma once

#include <string>
#include <vector>

namespace larkspur::wine {

// Shows the menu for `paths` at (x, y). When it is on screen, writes "<markers>menu-shown.txt"
// with one line "index left top right bottom offset" per item (offset -1 for items not the
// extension's); after the pick runs the command and
// writes "<markers>picked.txt" with "offset hresult". Returns 0 when an item was picked.
int RunPopup(int x, int y, const std::string& markers, const std::vector<std::string>& paths);

} // namespace larkspur::wine
