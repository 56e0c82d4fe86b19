// Only the space character separates words, as the command loops expect.
#include "frontend/words.h"

#include <climits>

namespace frontend {

Words splitWords(char* line) {
    Words words;
    words.count = 0;
    words.rest = nullptr;
    char* cursor = line;
    for (;;) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') break;
        if (words.count == MAX_WORDS) {
            words.rest = cursor;
            break;
        }
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

bool parseSeconds(const char* text, long long& milliseconds) {
    constexpr int MILLISECONDS_PER_SECOND = 1000;
    constexpr int FIRST_DECIMAL_MILLISECONDS = 100;
    if (text == nullptr) return false;
    long long whole = 0;
    bool digitSeen = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        digitSeen = true;
        whole = whole * 10 + (*text - '0');
        if (whole > INT_MAX) whole = INT_MAX;
    }
    long long fraction = 0;
    if (*text == '.') {
        // Digits past the millisecond are read and dropped.
        for (int scale = FIRST_DECIMAL_MILLISECONDS; *++text >= '0' && *text <= '9'; scale /= 10) {
            digitSeen = true;
            fraction += (*text - '0') * scale;
        }
    }
    if (!digitSeen || *text != '\0') return false;
    milliseconds = whole * MILLISECONDS_PER_SECOND + fraction;
    return true;
}

}  // namespace frontend
