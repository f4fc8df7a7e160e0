// What the core and the platform layer ask of the file system. Everything
// that differs between the systems is behind these functions: one source for
// POSIX systems (rules/FileSystemPosix.cpp) and one for Windows
// (rules/FileSystemWindows.cpp), chosen by the build. Names are bytes and stay
// so: on Windows every name is passed to the system in the ANSI code page as
// it stands, never reinterpreted through another encoding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Opening for reading.

// The named file opened for binary reading when it is a regular file; null
// otherwise. A folder, a device or a pipe is not opened, and the open of a pipe
// never waits for a writer. `missing`, when not null, tells whether the name
// was not found at all (rather than found and refused).
std::FILE* OpenRegularFile(const char* name, bool* missing = nullptr);

// Moves the read position of `file` to `offset` bytes from its start.
bool SeekFile(std::FILE* file, long long offset);

// A file's identity and version.

struct FileStamp {
    bool regular = false;         // a regular file, not a folder or a device
    std::int64_t size = 0;        // bytes
    std::int64_t modifiedNs = 0;  // last write, nanoseconds since 1970
    // The last change of the file's content or its attributes (where the
    // system keeps no such time: the last write), nanoseconds since 1970.
    std::int64_t changedNs = 0;
    std::uint64_t volume = 0;  // the device or volume the file is on
    std::uint64_t index = 0;   // the file's number on that volume
};

// What the system tells of an open file, or of a name; false when it tells
// nothing.
bool StampOfOpenFile(std::FILE* file, FileStamp& stamp);
bool StampOfName(const std::string& name, FileStamp& stamp);

enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind KindOf(const std::string& name);

// Listing a folder.

// The names of the entries of `folder` (the current folder when empty),
// without "." and ".."; false when it cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>& names);

// Splitting a path.

// The folder part of `name`, up to and including its last separator; empty
// when there is none. On Windows `/`, `\` and a drive's colon end it, on
// other systems only `/`.
std::string FolderOf(const std::string& name);

// What follows the last `/` or `\` of a name written on either system. On
// Windows the second byte of a double-byte character is never taken for `\`.
std::string BaseNameOf(const std::string& name);

// True when the system itself finds a name as Windows finds it (any case,
// `\` between folders), so that FindWindowsName has nothing to search.
bool SystemFindsWindowsNames();

// The name under which `name` exists, found as Windows finds it.
// The name itself when it exists. Otherwise `\` is read as `/`, and folder by
// folder an entry is taken whose name equals the wanted part up to case (ASCII
// and the Windows-1252 letters). A wanted name from a question file is
// Windows-1252 while names on disk are mostly UTF-8, so an entry also matches
// when both hold the same letters, each read in either encoding. Among several
// matches the entry with the same bytes wins, then one with the same letters,
// then the first in byte order; a folder that leads nowhere gives way to the
// next match. Empty when nothing matches or `name` is null or empty.
// Where SystemFindsWindowsNames: the name when it exists.
// (The search over ListFolder is in rules/FileNames.cpp.)
std::string FindWindowsName(const char* name);

// Writing beside and replacing.

// Creates `path` for binary writing, failing with errno EEXIST when it
// already exists.
std::FILE* CreateNewFile(const std::string& path);

// Flushes what was written to `file` through to the disk, then closes it;
// false when any step failed. The file is closed in any case.
bool CloseOnDisk(std::FILE* file);

// Moves the file `from` over `to`, replacing `to` when it exists, both in the
// same folder. False when the move failed; `to` is then unchanged.
bool MoveFileOver(const std::string& from, const std::string& to);

// Removes the file; false when it could not be removed.
bool RemoveFileName(const std::string& name);

// Writes `content` to `target` through a new file in the same folder that is
// renamed over the target once it is complete and its data is on the disk.
// False, with the target untouched and no new file left behind, when any step
// fails. (Built on the functions above, in rules/FileNames.cpp.)
bool ReplaceFileContent(const std::string& target, const std::string& content);

// Test hook: `trace`, when not null, is told each step that reaches the disk
// as it succeeds: "flush" when CloseOnDisk has flushed a file, "rename" when
// MoveFileOver has moved one.
void SetFileSystemTraceForTests(void (*trace)(const char* step));
