// The platform facilities that the library reaches through one replaceable object:
// those Wine lacks or that would reach outside a test's sandbox (the Recycle Bin,
// the clipboard, the Windows version behind the XP branches, a message box, and
// the library's own folder). Tests put a fake in place through gPlatform.
#pragma once

#include "seam/seam.h"

#include <windows.h>

#include <string>

namespace velmora {

class Platform {
public:
    virtual ~Platform() = default;

    // The folder that holds the library file, without a closing "\".
    virtual std::string LibraryFolder();
    // The platform's version record (the ANSI one of 148 bytes).
    virtual OSVERSIONINFOA Version();
    // Empties the Recycle Bins of all drives without confirmation, progress or
    // sound, after taking the links out of them, then refreshes the bin's icon.
    virtual void EmptyRecycleBin();
    // Opens, empties and closes the clipboard; false when another window holds it.
    virtual bool EmptyClipboard();
    // A plain message box with the text and an OK button.
    virtual void ShowMessage(const std::string& text);
};

// The platform in force: the real one unless a test has put another (not owned)
// in gPlatform.
Platform& CurrentPlatform();
extern tidvex::Seam<Platform*> gPlatform;

}  // namespace velmora
