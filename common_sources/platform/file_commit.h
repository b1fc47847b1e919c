// Writes a file whole or not at all. The bytes go into a temporary file beside it (the path plus
// ".tmp"), which is flushed to the disk and then moved onto the path in one step, so a crash or a
// full disk leaves the old file (or none), never a cut one. A temporary file left by a crash is
// emptied and written anew by the next write.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The platform's file calls the write makes; tests swap in their own to fail one of them.
struct FileCommitCalls {
  // Created, or emptied if it exists; null when it cannot be opened. Text mode turns each "\n"
  // into the platform's line end.
  void* (*open)(const char* path, bool isText);
  // The number of bytes written.
  size_t (*write)(void* file, const char* data, size_t size);
  // Out of every buffer onto the disk.
  bool (*flush)(void* file);
  bool (*close)(void* file);
  // One step, written through to the disk; without `isReplacing` it fails when `to` exists.
  bool (*move)(const char* from, const char* to, bool isReplacing);
  void (*remove)(const char* path);
};

class FileCommit {
 public:
  enum Mode { kReplace, kKeepExisting };

  static FileCommitCalls sCalls;
  static const FileCommitCalls kPlatformCalls;

  // Null when the file is in place; otherwise the step that failed ("open", "write", "flush",
  // "close", "move"), with the temporary file removed and the path as it was.
  static const char* write(const std::string& path, std::string_view bytes, bool isText, Mode mode);
  static std::string tempPath(const std::string& path) { return path + ".tmp"; }
};
