// Identities and class table of the optimizer library.
#include "Quenza.h"
#include "classes.h"

#include "com/server.h"

namespace tidvex::com {

const LibraryInfo& ServerLibrary() {
    static const LibraryInfo lib{&LIBID_VqQuenza, 1, 0};
    return lib;
}

std::span<const ClassEntry> ServerClasses() {
    static const ClassEntry classes[] = {
        {&CLSID_Optimizer, L"VqQuenza.Optimizer", L"VqQuenza.Optimizer", nullptr, L"Apartment", &Create<quenza::Optimizer>},
        {&CLSID_Error, L"VqQuenza.Error", L"VqQuenza.Error", nullptr, L"Apartment", &Create<quenza::Error>},
    };
    return classes;
}

}  // namespace tidvex::com
