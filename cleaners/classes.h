// The creatable classes of the cleaning library.
#pragma once

#include "Velmora.h"

#include "com/events.h"
#include "com/server.h"

namespace velmora {

using tidvex::com::ComObject;
using tidvex::com::Dispatch;
using tidvex::com::EventSource;

// A cleaner class: its dual interface and its event interface.
template <class Interface, const IID* Events>
class Cleaner : public ComObject<Dispatch<Interface>, EventSource<Events>> {};

class BrowsCls final : public Cleaner<_BrowsCls, &DIID___BrowsCls> {};
class WinCls final : public Cleaner<_WinCls, &DIID___WinCls> {};
class OfficCls final : public Cleaner<_OfficCls, &DIID___OfficCls> {};
class ChatCls final : public Cleaner<_ChatCls, &DIID___ChatCls> {};

class General final : public ComObject<Dispatch<_General>> {};
class INI final : public ComObject<Dispatch<_INI>> {};
class OS final : public ComObject<Dispatch<_OS>> {};
class System final : public ComObject<Dispatch<_System>> {};

}  // namespace velmora
