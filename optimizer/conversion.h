// Text to number as the library's conversions read it, and the run-time error
// they raise.
#pragma once

#include "errors/run_time_error.h"

#include <string>

namespace quenza {

using tidvex::RunTimeError;

// The text of a number in the 32-bit range ("93440", " -5 ", "&H10", "12.5"), as a
// conversion to a long integer does it: a text that is no number raises 13, one
// outside the range raises 6.
long ToLong(const std::string& text);

}  // namespace quenza
