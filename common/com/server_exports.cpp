// The four entry points of an in-process server and its DllMain. Each library
// defines ServerLibrary() and ServerClasses() with its own identities.
#include "server.h"

namespace tidvex::com {
const LibraryInfo& ServerLibrary();
std::span<const ClassEntry> ServerClasses();
}  // namespace tidvex::com

using tidvex::com::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        Module::Instance().Init(instance, tidvex::com::ServerLibrary(), tidvex::com::ServerClasses());
    } else if (reason == DLL_PROCESS_DETACH) {
        Module::Instance().Shutdown(reserved != nullptr);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return Module::Instance().GetClassObject(clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return Module::Instance().CanUnloadNow(); }

STDAPI DllRegisterServer() { return Module::Instance().RegisterServer(); }

STDAPI DllUnregisterServer() { return Module::Instance().UnregisterServer(); }
