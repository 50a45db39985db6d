#include "fs/whole_file.h"

#include "fs/fso.h"
#include "fs/guarded_file.h"
#include "handles/handles.h"
#include "text/text.h"

#include <windows.h>

namespace tidvex::fs {

std::optional<std::string> ReadWholeFile(const std::string& path) { return ReadWholeFile(text::Wide(path)); }

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    handles::File f(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        throw FsErrorFromPlatform(error);
    }
    std::string content;
    char buf[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(f.Get(), buf, sizeof buf, &got, nullptr)) && got > 0) content.append(buf, got);
    if (!ok) throw FsErrorFromPlatform(GetLastError());
    return content;
}

void ReplaceFileContent(const std::string& path, std::string_view content) {
    ReplaceFileContent(text::Wide(path), content);
}

void ReplaceFileContent(const std::wstring& path, std::string_view content) {
    // The copy is always a new file: one left from an earlier try is deleted
    // first, and a link of that name is never written through.
    const std::wstring temp = path + L".new";
    FileOutcome left = DeleteFileName(temp, true);
    if (!left.Done() && left.refusal != FileRefusal::Missing) throw MakeFsError(kPermissionDenied);
    const FileOutcome written = WriteWholeFile(temp, content);
    if (!written.Done()) {
        DeleteFileName(temp, true);
        throw FsErrorFromPlatform(written.refusal == FileRefusal::Failed ? written.error : ERROR_ACCESS_DENIED);
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        DeleteFileName(temp, true);
        throw FsErrorFromPlatform(error);
    }
}

}  // namespace tidvex::fs
