// The folders that no cleaning, shredding or deletion of a whole folder may
// take, whatever value names them: every folder the shell knows for the user
// and for all users (Desktop, Documents, Pictures, Music, Videos, Downloads,
// Favorites, Start Menu, Programs, Startup, Send To, the application data, the
// Public folders, ...), the folder that holds the profiles and every profile
// in it, Windows, the System folders and Program Files, and the program's own
// folder with its Backups.
//
// A folder is matched by its identity (fs/identity.h) as well as by its text,
// so no drive letter, share or spelling makes it another folder. One table
// serves every cleaner, the shredder, the black list and the start-up manager;
// it is read once for a run and asked for each folder.
#pragma once

#include "fs/identity.h"

#include <optional>
#include <string>
#include <vector>

namespace tidvex::fs {

// The folder a step exists to empty: the one protected folder that step may
// empty, when the value it reads leads there and to no other protected folder.
enum class OwnFolder { None, Templates, Recent, CdBurning, InternetCache, Cookies, Favorites, Startup, CommonStartup };

class ProtectedFolders {
public:
    // Reads the table now. `programFolders` are the program's own folders (the
    // folder of the running program and of the calling module are always in),
    // each protected with its Backups.
    static ProtectedFolders Read(const std::vector<std::wstring>& programFolders = {});

    // The protected folder that keeps a step whose own folder is `own` from
    // emptying or removing `folder` (canonical): `folder` is that protected
    // folder or holds it. Nothing when the step may work on it.
    std::optional<std::wstring> Refusing(const std::wstring& folder, OwnFolder own = OwnFolder::None) const;

    // The protected folder that `folder` (canonical) is; nothing when none.
    std::optional<std::wstring> Match(const std::wstring& folder) const;

    // Whether `path` (canonical) is a System folder or lies inside one.
    bool InSystemFolder(const std::wstring& path) const;

private:
    struct Entry {
        std::wstring path;
        OwnFolder role = OwnFolder::None;
        bool system = false;
        Lineage lineage;
    };
    void AddShellFolders();
    void AddProfiles();
    void AddSystemFolders();
    void AddProgramFolders(std::vector<std::wstring> folders);
    void Add(const std::wstring& path, OwnFolder role = OwnFolder::None, bool system = false);

    std::vector<Entry> entries_;
    mutable IdentityCache cache_;
};

}  // namespace tidvex::fs
