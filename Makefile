# The two commands of the README: `make run` and `make test`. Each installs what is
# missing on a fresh Debian 12 machine (as root), builds and prepares the Wine prefix.
SHELL := /bin/bash
ROOT := $(CURDIR)
WIN_BUILD := $(ROOT)/build/win
NATIVE_BUILD := $(ROOT)/build/native
FUZZ_BUILD := $(ROOT)/build/fuzz
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
TO ?= 10

.PHONY: all deps configure build build-win test test-native test-win fuzz run bench dist screenshot clean

all: build

deps:
	@tools/install-deps

$(WIN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release

$(NATIVE_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON

$(FUZZ_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTESSALY_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: $(WIN_BUILD)/CMakeCache.txt $(NATIVE_BUILD)/CMakeCache.txt $(FUZZ_BUILD)/CMakeCache.txt

build: configure
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	cmake --build $(WIN_BUILD) -j $(JOBS)
	tools/with-wine-session tools/setup-prefix $(ROOT)/build/bin

# The Windows program, its tools and stand-ins only: what the main job needs.
build-win: $(WIN_BUILD)/CMakeCache.txt
	cmake --build $(WIN_BUILD) -j $(JOBS)
	tools/with-wine-session tools/setup-prefix $(ROOT)/build/bin

test-native: build
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure

test-win: build
	tools/with-wine-session ctest --test-dir $(WIN_BUILD) --output-on-failure -j1

fuzz: build
	tools/fuzz 300 $(FUZZ_BUILD)

# Native unit tests, static analysis, a short fuzzing round, then everything under Wine.
test: build
	@status=0; \
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure || status=1; \
	tools/lint || status=1; \
	tools/fuzz $(FUZZ_SECONDS) $(FUZZ_BUILD) || status=1; \
	tools/with-wine-session ctest --test-dir $(WIN_BUILD) --output-on-failure -j1 || status=1; \
	exit $$status

run: build-win
	tools/with-wine-session tools/run-sample $(TO)

# Pictures of the idle window and of the window during a run, in build/screenshots/.
screenshot: build-win
	tools/with-wine-session tools/screenshot $(ROOT)/build/screenshots

dist: build-win
	tools/dist/make-dist $(ROOT)/build/bin $(ROOT)/build/dist $$(sed -n 's/^project(CorvaneTessaly VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

bench: build
	tools/with-wine-session tools/bench

clean:
	rm -rf build
