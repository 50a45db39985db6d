// The usual descriptions of the run-time error numbers the product raises, shared
// so that the program and the libraries report one number with one text.
#pragma once

namespace tidvex {

// "File not found" for 53, "Type mismatch" for 13, ...; a number without a usual
// text gives "Application-defined or object-defined error".
const char* RunTimeErrorText(long number);

}  // namespace tidvex
