// The verb that the shredder adds to the Recycle Bin's context menu: it starts
// the front end "Shredder.exe" with the single argument recycle. It is added
// only when the context-menu library Pilvane.dll is installed beside the
// application, and removed again when the server is unregistered.
#pragma once

#include "message_log.h"

#include <windows.h>

#include <string>

namespace fraxil {

// The command the verb runs: "<applicationPath>\Shredder.exe" recycle, the path quoted.
std::string RecycleBinVerbCommand(const std::string& applicationPath);

// True when the library's class key and its file in applicationPath are both
// there; else reports error 31059 and returns false.
bool CheckContextMenuHelper(const std::string& applicationPath, MessageLog& log);

// Writes the verb named applicationName under the Recycle Bin's shell key.
// Refuses (false, nothing written) an empty name or one holding "\" (the first
// would replace the bin's default verb, the second make nested keys), a key on
// the way that is a registry link, and a write that fails.
bool RegisterRecycleBinVerb(const std::string& applicationName, const std::string& applicationPath, MessageLog& log);

// Removes every verb of the Recycle Bin that runs the front end with "recycle":
// the verbs RegisterRecycleBinVerb wrote, whatever their names. S_OK always.
HRESULT UnregisterRecycleBinVerbs();

}  // namespace fraxil
