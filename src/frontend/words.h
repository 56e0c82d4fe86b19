// Splitting a command line into words at spaces.
#pragma once

namespace frontend {

// Words split at once; a longer line (a UCI game's move list) is split in turns through rest.
constexpr int MAX_WORDS = 2048;

struct Words {
    const char* word[MAX_WORDS];
    int count;
    char* rest;  // the text after the last word split, when MAX_WORDS were not enough; else nullptr
};

// Cuts line in place at space characters; runs of spaces count as one.
Words splitWords(char* line);
// A decimal integer, optionally signed, with nothing after it; saturates at the int range.
bool parseInteger(const char* text, long long& value);
// Seconds as a decimal ("2", "2.5", ".25") into milliseconds, saturating; no sign, nothing after it.
bool parseSeconds(const char* text, long long& milliseconds);

}  // namespace frontend
