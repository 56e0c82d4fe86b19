# Builds the engine with nothing but make and a C++20 compiler, as OpenBench's workers do:
# make -j EXE=NAME [CXX=compiler]. The CMake presets stay the build for tests, sanitizers
# and installing; this one compiles the same sources with the release build's options.
EXE ?= morvelline
BUILD_DIR ?= build/make
# Where the program looks for its book beside itself, as an installed tree lays it out
# (the working directory's book.obk comes first).
INSTALLED_BOOK ?= ../share/morvelline/book.obk

SOURCES := src/main.cpp $(wildcard src/*/*.cpp)
OBJECTS := $(patsubst src/%.cpp,$(BUILD_DIR)/%.o,$(SOURCES))

# The hot path crosses subsystems (perft -> generation -> make/unmake), so the release
# build optimises across files; a compiler or linker without LTO still builds, slower.
LTO := $(shell printf 'int main() {}\n' | $(CXX) -x c++ -flto=auto - -o /dev/null 2>/dev/null && echo -flto=auto)
WARNINGS := -Wall -Wextra -Wshadow -Wmissing-declarations
# A caller's CXXFLAGS and LDFLAGS come last, so they can add to or override these.
ENGINE_FLAGS := -std=c++20 -O3 -DNDEBUG $(LTO) -pthread -Isrc $(WARNINGS) $(CXXFLAGS)
LINK_FLAGS := $(LDFLAGS)

# Objects from another compiler or other flags must not be linked together: a change
# rewrites this file, and every object depends on it.
FLAGS_FILE := $(BUILD_DIR)/flags
BUILD_LINE := $(CXX) $(ENGINE_FLAGS) $(LINK_FLAGS) book=$(INSTALLED_BOOK)
ifneq ($(file <$(FLAGS_FILE)),$(BUILD_LINE))
$(shell mkdir -p $(BUILD_DIR))
$(file >$(FLAGS_FILE),$(BUILD_LINE))
endif

.PHONY: all clean

all: $(EXE)

$(EXE): $(OBJECTS) $(FLAGS_FILE)
	$(CXX) $(ENGINE_FLAGS) $(OBJECTS) $(LINK_FLAGS) -o $@

$(BUILD_DIR)/book/book.o: BOOK_DEFINE := -DMORVELLINE_INSTALLED_BOOK='"$(INSTALLED_BOOK)"'

# -MMD -MP write each object's header list beside it, so a rebuild compiles only what changed.
$(BUILD_DIR)/%.o: src/%.cpp $(FLAGS_FILE)
	@mkdir -p $(@D)
	$(CXX) $(ENGINE_FLAGS) $(BOOK_DEFINE) -MMD -MP -c $< -o $@

clean:
	rm -rf $(BUILD_DIR) $(EXE)

-include $(OBJECTS:.o=.d)
