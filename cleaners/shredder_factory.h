// Makes the shredder objects of the library's steps: the one overwriting
// shredder (shred/shredder.h) configured as the library has it: it overwrites
// only while the library-wide shred switch is on, a plain delete that fails is
// passed over, and each file it overwrote and removed, or whose name alone it
// removed because other names share the content, is followed by a daily-log
// line with message "msg16".
#pragma once

#include "shred/shredder.h"

#include <functional>
#include <string>

namespace velmora {

using tidvex::shred::Shredder;

// showlog, when given, receives what the object reports through its ShowLog event.
Shredder MakeShredder(std::function<void(const std::string&)> showlog = {});

}  // namespace velmora
