# Builds the release engine and copies it to $(EXE), as OpenBench does it:
# make -j EXE=NAME [CXX=compiler]. Its own build tree, without the tests, so a machine
# with only a compiler and CMake (no GoogleTest, no Ninja) can build it.
EXE ?= morvelline
CMAKE ?= cmake
BUILD_DIR ?= build/make

# make always defines CXX (g++); hand it to CMake only when the caller set it.
ifneq ($(filter environment environment% command% override,$(origin CXX)),)
COMPILER := -DCMAKE_CXX_COMPILER="$(CXX)"
endif

.PHONY: all

all:
	$(CMAKE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DMORVELLINE_TESTS=OFF $(COMPILER)
	$(CMAKE) --build $(BUILD_DIR) --target morvelline
	cp $(BUILD_DIR)/morvelline "$(EXE)"
