// Files and paths. Host paths are native ("/opt/pdv/ecf003.cds"). Windows
// paths that the system hard-codes ("c:\tef_dial\req\intpos.001") are mapped:
// the drive letter to a host directory, backslashes to slashes. Every
// function here accepts either form, through HostPath.
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

constexpr char PathDelim = '/';

// Drive mapping. "X:\a\b" becomes <root of X>/a/b. The root of a drive is,
// in order: the one set with MapDrive; the environment variable
// PKG_QDM_DRIVE_X (X upper case); $XDG_DATA_HOME/pkg_qdm/drive_x, with
// $XDG_DATA_HOME defaulting to $HOME/.local/share. A path without a drive
// letter only has its backslashes turned into slashes.
void MapDrive(char letter, const std::string& host_directory);
void UnmapDrive(char letter);  // back to the environment or the default
std::string DriveRoot(char letter);
std::string HostPath(const std::string& path);
// This user's data directory for Pkg_Qdm: $XDG_DATA_HOME/pkg_qdm, with
// $XDG_DATA_HOME defaulting to $HOME/.local/share (where the drives' roots
// are kept by default).
std::string UserDataDirectory();

// The host executable's full path, read from /proc/self/exe unless a host
// or a test set it with SetHostExecutable.
std::string GetModuleFileNameA();
void SetHostExecutable(const std::string& path);  // "" restores the real one

// "/a/b/c.txt" -> "/a/b/" and "c.txt"; ".txt".
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);
// 8.3 names do not exist here: the short form is the path itself.
std::string ExtractShortPathName(const std::string& path);
std::string IncludeTrailingPathDelimiter(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path);                         // false when absent or refused
bool RenameFile(const std::string& from, const std::string& to);  // replaces `to`

// Names (not paths) of the regular files in a directory whose name matches
// the mask with '*' and '?', without regard to letter case ("intpos.*"
// matches "INTPOS.001"). Sorted by name; an absent directory gives none.
std::vector<std::string> FindFiles(const std::string& directory, const std::string& mask);

// Whole file as bytes; raises EInOutError when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Whole file as bytes when it holds at most `limit` bytes. A larger file is
// refused without being read (EInOutError naming the file and its bound),
// so a damaged or hostile file costs neither a long stall nor its size in
// memory. Raises EInOutError as ReadFileBytes does.
std::string ReadFileBounded(const std::string& path, std::size_t limit);
// Bound of a data packet file read whole (the configuration, the payment
// types, the front end's tables).
inline constexpr std::size_t kDataPacketFileLimit = std::size_t{64} << 20;
// The last `count` bytes of a file (all of it when shorter); `size` gets the
// file's whole size. Raises EInOutError.
std::string ReadFileTail(const std::string& path, std::size_t count, std::size_t& size);
// Writes `bytes` at `offset` of the file (created when missing), dropping
// whatever stood from there on, and flushes it to disk: an append that first
// cuts off the torn end an interrupted append left. Raises EInOutError.
void WriteFileAt(const std::string& path, std::size_t offset, const std::string& bytes);
// Writes beside the target, flushes, renames into place and flushes the
// directory, so neither a reader nor a power failure meets a half-written
// file. The first save into a directory removes the work files that
// interrupted saves left there (durable_file.h). Raises EInOutError
// "Cannot <step> <path>: <reason>".
void WriteFileAtomic(const std::string& path, const std::string& bytes);
// Opens (creating when missing), appends text + CR LF, closes. Raises
// EInOutError. Nothing is buffered between calls.
void AppendLine(const std::string& path, const std::string& text);

}  // namespace platform

PKG_QDM_PUBLIC_END
