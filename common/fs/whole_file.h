// A text file read or written as a whole: the user lists, win.ini, a saved list
// of names. A file that gets new content is replaced in one step, so that a
// write that fails half-way never leaves it cut short.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidvex::fs {

// The whole file, or nothing when it does not exist; other failures throw
// RunTimeError.
std::optional<std::string> ReadWholeFile(const std::string& path);
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Writes `content` into a new file beside `path` ("<path>.new") and then puts
// that file in place of `path` (created when missing). A failed write leaves
// `path` as it was. The name `path` itself gets the new file: a link of that
// name is replaced, never written through, and other names of the old file
// keep the old content. Throws RunTimeError.
void ReplaceFileContent(const std::string& path, std::string_view content);
void ReplaceFileContent(const std::wstring& path, std::string_view content);

}  // namespace tidvex::fs
