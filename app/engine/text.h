// The text helpers of the cleaners: the program's one set (text/text.h).
#pragma once

#include "text/text.h"

namespace tidvex::engine {

using text::Lower;
using text::Trim;

}  // namespace tidvex::engine
