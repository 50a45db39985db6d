// The creatable classes of the optimizer library.
#pragma once

#include "Quenza.h"

#include "com/server.h"

namespace quenza {

class Optimizer final : public tidvex::com::ComObject<tidvex::com::Dispatch<_Optimizer>> {};
class Error final : public tidvex::com::ComObject<tidvex::com::Dispatch<_Error>> {};

}  // namespace quenza
