// The program's message box over in-memory controls, for tests of the dialogs
// and of the pages that show it.
#pragma once

#include "memory_controls.h"
#include "main/dialogs/message_box.h"

namespace tidvex::test {

inline controls::MemoryButton At(int left) {
    controls::MemoryButton button;
    button.Move(left, 112, 80, 26);
    return button;
}

// A message box over in-memory controls.
struct MemoryBox {
    controls::MemoryForm form{380};
    controls::MemoryLabel banner{"", controls::LabelStyle::Banner}, message;
    controls::MemoryButton b0 = At(100), b1 = At(200), i0, i1, i2, i3;
    dialogs::frmMessageBox box{{form, banner, message, {&b0, &b1}, {&i0, &i1, &i2, &i3}}};
};

}  // namespace tidvex::test
