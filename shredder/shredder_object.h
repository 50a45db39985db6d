// The Shredder class of the shredder server.
#pragma once

#include "Fraxil.h"

#include "com/events.h"
#include "com/server.h"

namespace fraxil {

class ShredderObject final
    : public tidvex::com::ComObject<tidvex::com::Dispatch<IShredder>, tidvex::com::EventSource<&DIID__IShredderEvents>> {
public:
    ShredderObject();
};

}  // namespace fraxil
