// The library's shredder class copy: the one overwriting-shredder core with the
// library's options (the library-wide shred switch, a plain delete whose failure
// is ignored, and a daily-log line with message "msg16" after each file it
// overwrote and removed, or whose name alone it removed because other names
// share the content).
#pragma once

#include "shred/shredder.h"

#include <functional>
#include <string>

namespace velmora {

using tidvex::shred::Shredder;

// showlog, when given, receives what the object reports through its ShowLog event.
Shredder LibraryShredder(std::function<void(const std::string&)> showlog = {});

}  // namespace velmora
