// Identities and class table of the cleaning library.
#include "Velmora.h"
#include "classes.h"

#include "com/server.h"

namespace tidvex::com {

const LibraryInfo& ServerLibrary() {
    static const LibraryInfo lib{&LIBID_Velmora, 1, 0};
    return lib;
}

std::span<const ClassEntry> ServerClasses() {
    static const ClassEntry classes[] = {
        {&CLSID_BrowsCls, L"Velmora.BrowsCls", L"Velmora.BrowsCls", nullptr, L"Apartment", &Create<velmora::BrowsCls>},
        {&CLSID_WinCls, L"Velmora.WinCls", L"Velmora.WinCls", nullptr, L"Apartment", &Create<velmora::WinCls>},
        {&CLSID_OfficCls, L"Velmora.OfficCls", L"Velmora.OfficCls", nullptr, L"Apartment", &Create<velmora::OfficCls>},
        {&CLSID_ChatCls, L"Velmora.ChatCls", L"Velmora.ChatCls", nullptr, L"Apartment", &Create<velmora::ChatCls>},
        {&CLSID_General, L"Velmora.General", L"Velmora.General", nullptr, L"Apartment", &Create<velmora::General>},
        {&CLSID_INI, L"Velmora.INI", L"Velmora.INI", nullptr, L"Apartment", &Create<velmora::INI>},
        {&CLSID_OS, L"Velmora.OS", L"Velmora.OS", nullptr, L"Apartment", &Create<velmora::OS>},
        {&CLSID_System, L"Velmora.System", L"Velmora.System", nullptr, L"Apartment", &Create<velmora::System>},
    };
    return classes;
}

}  // namespace tidvex::com
