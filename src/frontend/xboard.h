// The driver of the xboard protocol, first version.
#pragma once

namespace frontend {

// Everything protocol mode changes for the rest of the run: flushed output,
// input polling in the search, and SIGINT ignored (the interface sends it before every turn).
void enterProtocolMode();
// Handles one protocol line; false on "quit".
bool handleProtocolLine(char* line);
// Runs until "quit" or the end of standard input.
void protocolDriver();

}  // namespace frontend
