// Splits the command line into tokens in place: blanks and tabs separate,
// nothing else is special (quotes and backslashes are ordinary characters).
#pragma once

namespace romscope {

// Returns the next token, or null at the end of the line. Each call first
// puts back the character the previous call overwrote with a NUL, so a
// token's text is valid only until the next call; once null has been
// returned the line holds its former text again. Before the first call
// `savedChar` must hold the first character of the line.
char* NextToken(char*& cursor, char& savedChar);

}  // namespace romscope
