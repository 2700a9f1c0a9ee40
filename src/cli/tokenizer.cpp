#include "cli/tokenizer.h"

namespace romscope {
namespace {
bool IsSeparator(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

char* NextToken(char*& cursor, char& savedChar) {
  *cursor = savedChar;
  while (IsSeparator(*cursor)) ++cursor;
  char* token = cursor;
  while (*cursor != '\0' && !IsSeparator(*cursor)) ++cursor;
  savedChar = *cursor;
  *cursor = '\0';
  return cursor == token ? nullptr : token;
}

}  // namespace romscope
