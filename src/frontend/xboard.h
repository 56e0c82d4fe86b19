// The driver of the xboard protocol: the first version, and the second for an interface
// that opens with "protover 2" or later.
#pragma once

namespace frontend {

constexpr int SECOND_PROTOCOL_VERSION = 2;

// 1 until "protover N" with N of 2 or more; then N.
extern int protocolVersion;
// The second version's "post" and "nopost": thinking lines on or off (the first always prints them).
extern bool postThinking;

// Everything protocol mode changes for the rest of the run: flushed output,
// input polling in the search, and SIGINT ignored (the interface sends it before every turn).
void enterProtocolMode();
// Handles one protocol line; false on "quit".
bool handleProtocolLine(char* line);
// Runs until "quit" or the end of standard input.
void protocolDriver();

}  // namespace frontend
