// Reads a position file's first line; the FEN reader checks it before anything changes.
#include "frontend/loader.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/output.h"
#include "frontend/words.h"

namespace frontend {

namespace {

// A first line this long is no position; reading stops there, so an endless
// file without a line feed (a device, say) cannot hang the engine.
constexpr std::size_t MAX_POSITION_FILE_BYTES = 4096;

// The file's first line as readLine cuts it, from at most MAX_POSITION_FILE_BYTES bytes.
void readFirstLine(std::FILE* file, char* line, int size) {
    char head[MAX_POSITION_FILE_BYTES];
    const std::size_t length = std::fread(head, 1, sizeof head, file);
    line[0] = '\0';
    if (length == 0) return;
    std::FILE* text = fmemopen(head, length, "r");
    if (text == nullptr) return;
    readLine(line, size, text);
    std::fclose(text);
}

}  // namespace

void loadPosition(const char* argument) {
    if (std::strcmp(argument, "init") == 0) {
        newGame();
        return;
    }
    book::bookActive = false;
    std::FILE* file = std::fopen(argument, "r");
    if (file == nullptr) {
        printFileMissing();
        return;
    }
    char line[POSITION_LINE_SIZE];
    readFirstLine(file, line, POSITION_LINE_SIZE);
    std::fclose(file);

    const Words fields = splitWords(line);
    LoadedPosition position{};
    if (const char* reason = readFen(fields, 0, fields.count, FenFields::FIRST_THREE, position)) {
        printPositionNotLoaded(reason);
        return;
    }
    installPosition(position);
}

}  // namespace frontend
