// Identities and class table of the shredder server.
#include "Fraxil.h"
#include "context_menu.h"
#include "shredder_object.h"

#include "com/server.h"

namespace tidvex::com {

const LibraryInfo& ServerLibrary() {
    // The Recycle Bin verb goes with the server.
    static const LibraryInfo lib{&LIBID_FRAXILLib, 1, 0, &fraxil::UnregisterRecycleBinVerbs};
    return lib;
}

std::span<const ClassEntry> ServerClasses() {
    static const ClassEntry classes[] = {
        {&CLSID_Shredder, L"Shredder Class", L"Fraxil.Shredder.1", L"Fraxil.Shredder", L"Apartment",
         &Create<fraxil::ShredderObject>},
    };
    return classes;
}

}  // namespace tidvex::com
