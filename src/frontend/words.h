// Splitting a command line into words at spaces.
#pragma once

namespace frontend {

// Room for a UCI "position" line of the longest game: 8192 bytes, at least five a move.
constexpr int MAX_WORDS = 2048;

struct Words {
    const char* word[MAX_WORDS];
    int count;
};

// Cuts line in place at space characters; runs of spaces count as one.
Words splitWords(char* line);
// A decimal integer, optionally signed, with nothing after it; saturates at the int range.
bool parseInteger(const char* text, long long& value);

}  // namespace frontend
