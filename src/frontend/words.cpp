// Only the space character separates words, as the command loops expect.
#include "frontend/words.h"

#include <climits>

namespace frontend {

Words splitWords(char* line) {
    Words words{};
    char* cursor = line;
    while (*cursor != '\0' && words.count < MAX_WORDS) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') break;
        words.word[words.count++] = cursor;
        while (*cursor != '\0' && *cursor != ' ') ++cursor;
        if (*cursor == ' ') *cursor++ = '\0';
    }
    return words;
}

bool parseInteger(const char* text, long long& value) {
    if (text == nullptr) return false;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > INT_MAX) magnitude = INT_MAX;
    }
    if (*text != '\0') return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace frontend
