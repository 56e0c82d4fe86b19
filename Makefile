# Builds the release engine through the CMake preset and copies it to $(EXE), as
# OpenBench does it: make -j EXE=NAME [CXX=compiler].
EXE ?= morvelline
CMAKE ?= cmake

# make always defines CXX (g++); hand it to CMake only when the caller set it.
ifneq ($(filter environment environment% command% override,$(origin CXX)),)
COMPILER := -DCMAKE_CXX_COMPILER="$(CXX)"
endif

.PHONY: all

all:
	$(CMAKE) --preset release $(COMPILER)
	$(CMAKE) --build --preset release --target morvelline
	cp build/release/morvelline "$(EXE)"
