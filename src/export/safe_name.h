// Names from the image made safe to create, by the same rules on every
// platform so that the same names come out everywhere. A name from the image
// is bytes; each byte becomes the character of the same number, written as
// UTF-8 (as the JSON document maps names), and then:
//   - '/', '\', the characters <>:"|?* and control characters (0x00-0x1F,
//     0x7F-0x9F) become '_'; a drive prefix such as "C:" so too;
//   - an empty name becomes "_", "." and ".." become "_" and "__";
//   - trailing dots and blanks become '_';
//   - a reserved device name of Windows (CON, PRN, AUX, NUL, COM1-COM9,
//     LPT1-LPT9, with the superscript digits too, CONIN$, CONOUT$), in any
//     letter case, with or without an extension, gets a '_' in front;
//   - a name longer than 200 bytes is cut, on a character boundary;
//   - a name that, letters folded to one case as Windows folds them, equals
//     one already taken in its folder gets " (2)", " (3)", ... before its
//     extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace romscope {

inline constexpr size_t kMaxNameBytes = 200;

// Why a name changed; a name may carry several.
enum NameChange : uint16_t {
  kNameCharacters = 1,  // characters not allowed in a name replaced
  kNameDrive = 2,       // a drive prefix neutralised
  kNameDots = 4,        // "." or ".."
  kNameEmpty = 8,
  kNameTrailing = 16,   // trailing dots or blanks replaced
  kNameDevice = 32,     // a reserved device name
  kNameCut = 64,        // cut to 200 bytes
  kNameNumbered = 128,  // the name was taken already in its folder
};
inline constexpr NameChange kNameChanges[] = {kNameCharacters, kNameDrive,    kNameDots,
                                              kNameEmpty,      kNameTrailing, kNameDevice,
                                              kNameCut,        kNameNumbered};

// A name made safe, before it is claimed in its folder: `base` from the
// image's name, and the tool's own `suffix` (".stored", or none), which is
// kept whole.
struct SafeName {
  std::string base;
  std::string suffix;
  uint16_t changes = 0;
};

SafeName MakeSafeName(std::string_view imageName, std::string_view suffix = {});

// The names taken in one folder.
class FolderNames {
 public:
  // The name `safe` gets in this folder, numbered when its own is taken;
  // the change is added to `changes`.
  std::string Claim(const SafeName& safe, uint16_t* changes);

 private:
  std::set<std::string> taken_;                 // folded
  std::map<std::string, uint64_t> nextNumber_;  // folded name -> the next number to try
};

}  // namespace romscope
