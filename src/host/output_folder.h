// The folder an extraction writes into, one name at a time: every folder
// and file is created inside a folder opened before it, never through a
// link, never over anything that exists. One implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace romscope {

// A file created for writing; Close says whether every byte got there.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  virtual bool Close() = 0;
  // Why the last Write or Close failed.
  virtual std::string ErrorText() const = 0;
};

class OutputFolder {
 public:
  virtual ~OutputFolder() = default;
  // Creates the folder `name` inside this one. `name` is one plain name:
  // not empty, not "." or "..", without '/' or '\\' (anything else is
  // refused). Null, and the reason, when it cannot be made; a name that
  // exists already, as a folder, a file or a link, is refused.
  virtual std::unique_ptr<OutputFolder> MakeFolder(const std::string& name,
                                                   std::string* reason) = 0;
  // Creates the file `name` (the same kind of name) inside this one,
  // exclusively: never over an existing name and never through a link.
  virtual std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) = 0;
};

// Whether `name` is one plain name as MakeFolder and MakeFile take it.
bool IsPlainName(const std::string& name);

// Opens the folder at `path` to write into: made when nothing is there; an
// existing one must be an empty folder and no link. Null, and the reason,
// otherwise.
std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, std::string* reason);

// The reasons both platforms give in the same words.
inline constexpr char kNameExists[] = "the name exists already";
inline constexpr char kNotPlainName[] = "not a plain name";
inline constexpr char kFolderNotEmpty[] = "the folder is not empty";
inline constexpr char kFolderIsLink[] = "a link, not a folder";
inline constexpr char kNotAFolder[] = "not a folder";

}  // namespace romscope
