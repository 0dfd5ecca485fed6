# Voxtelo: `make run` starts the phone under Wine, `make test` passes every test.
# Both install what is missing first (as root), configure and build incrementally.
# `make dist` packs the installer and the portable zip into out/.

BUILD  ?= build
WIN64  := $(BUILD)/win64
WIN32  := $(BUILD)/win32
NATIVE := $(BUILD)/native
CTEST_JOBS ?= 2
# A compiler cache, where the machine has one, makes a fresh build folder cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build build-win64 build-native build-x86 test test-native test-windows run dist clean

all: build

deps:
	@tools/install-deps.sh

$(WIN64)/build.ninja: | deps
	cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake

$(WIN32)/build.ninja: | deps
	cmake -S . -B $(WIN32) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake

# clang, because the fuzz targets need libFuzzer.
$(NATIVE)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(LAUNCHER)

build-win64: deps $(WIN64)/build.ninja
	cmake --build $(WIN64)

build-native: deps $(NATIVE)/build.ninja
	cmake --build $(NATIVE)

build-x86: deps $(WIN32)/build.ninja
	cmake --build $(WIN32)

build: build-win64 build-native

test-native: build-native
	ctest --test-dir $(NATIVE) --output-on-failure -j $(CTEST_JOBS)

test-windows: build-win64
	tools/wine.sh session --prefix $(CURDIR)/$(WIN64)/wineprefix \
	    ctest --test-dir $(WIN64) --output-on-failure -j $(CTEST_JOBS)

test: build
	$(MAKE) --no-print-directory test-native
	$(MAKE) --no-print-directory test-windows

run: build-win64
	tools/run.sh $(WIN64)

dist: build-win64
	installer/dist.sh $(WIN64) out

clean:
	rm -rf $(BUILD) out
