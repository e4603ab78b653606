# The two commands of the README: `make run` and `make test`. Each installs what is
# missing on a fresh Debian 12 machine (as root), builds and prepares the Wine prefixes.
#
# Two Windows builds from one source: win64 (x86_64) runs on every x86-64 host and is
# the default; win32 (i686) is always built, and run wherever the host executes 32-bit
# code (tools/win32-runs). ARCH=win32 picks it for run, screenshot and bench.
SHELL := /bin/bash
ROOT := $(CURDIR)
NATIVE_BUILD := $(ROOT)/build/native
FUZZ_BUILD := $(ROOT)/build/fuzz
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
TO ?= 10
ARCH ?= win64
WIN_ARCHES := win32 win64
# A clean clone compiles four trees on two cores; ccache, keyed on paths below the clone,
# lets the next clone reuse what an earlier one compiled (asked after deps installs it).
LAUNCHER = $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR := $(ROOT)

.PHONY: all deps configure build build-win test test-native test-win check fuzz run bench dist screenshot clean

all: build

deps:
	@tools/install-deps

$(ROOT)/build/win32/CMakeCache.txt: | deps
	cmake -S . -B $(ROOT)/build/win32 -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)

$(ROOT)/build/win64/CMakeCache.txt: | deps
	cmake -S . -B $(ROOT)/build/win64 -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)

$(NATIVE_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON $(LAUNCHER)

$(FUZZ_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTESSALY_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

configure: $(foreach a,$(WIN_ARCHES),$(ROOT)/build/$(a)/CMakeCache.txt) $(NATIVE_BUILD)/CMakeCache.txt $(FUZZ_BUILD)/CMakeCache.txt

# Builds one Windows build and installs its stand-ins into its prefix, where it runs.
define build_windows
	cmake --build $(ROOT)/build/$(1) -j $(JOBS)
	@if [ $(1) = win64 ] || tools/win32-runs >/dev/null; then \
	  TESSALY_ARCH=$(1) tools/with-wine-session tools/setup-prefix; \
	fi
endef

build: configure
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	$(call build_windows,win64)
	$(call build_windows,win32)

# One Windows build (ARCH), its tools and stand-ins only: what the main job needs.
build-win: $(ROOT)/build/$(ARCH)/CMakeCache.txt
	@[ $(ARCH) = win64 ] || why=$$(tools/win32-runs) || { echo "ARCH=$(ARCH) cannot run here: $$why" >&2; exit 1; }
	$(call build_windows,$(ARCH))

test-native: build
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure

# Every Windows test of the 64-bit build, then of the 32-bit build where it runs.
test-win: build
	tools/test-windows

fuzz: build
	tools/fuzz 300 $(FUZZ_BUILD)

# Native unit tests, static analysis, a short fuzzing round, then everything under Wine.
test: build
	@status=0; \
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure || status=1; \
	tools/lint || status=1; \
	tools/fuzz $(FUZZ_SECONDS) $(FUZZ_BUILD) || status=1; \
	tools/test-windows || status=1; \
	exit $$status

# The inner loop: the native tree and the 64-bit tree, rebuilding only what changed, its
# stand-ins installed into its prefix, then the portable tests and the Windows tests whose
# names match TESTS (a ctest regex; every one when unset). `make test` stays the full gate.
TESTS ?= .
check: $(NATIVE_BUILD)/CMakeCache.txt $(ROOT)/build/win64/CMakeCache.txt
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	cmake --build $(ROOT)/build/win64 -j $(JOBS)
	@status=0; \
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure || status=1; \
	TESSALY_ARCH=win64 tools/with-wine-session sh -c 'tools/setup-prefix && \
	  ctest --test-dir "$(ROOT)/build/win64" --output-on-failure -j1 -R "$$1"' check "$(TESTS)" || status=1; \
	exit $$status

run: build-win
	TESSALY_ARCH=$(ARCH) tools/with-wine-session tools/run-sample $(TO)

# Pictures of the idle window and of the window during a run, in build/screenshots/.
screenshot: build-win
	TESSALY_ARCH=$(ARCH) tools/with-wine-session tools/screenshot $(ROOT)/build/screenshots

# Both builds' packages; the 32-bit one is built on any host (nothing of it runs here).
dist: configure
	@for a in $(WIN_ARCHES); do \
	  cmake --build $(ROOT)/build/$$a -j $(JOBS) --target CorvaneTessaly || exit 1; \
	  tools/dist/make-dist $(ROOT)/build/$$a/bin $(ROOT)/build/dist $(ROOT)/build/$$a/generated/resources/version.h || exit 1; \
	done

# Without ARCH, the figures of every build that runs here; with it, that build's only.
bench: build
	@arches="$(if $(filter command line environment,$(origin ARCH)),$(ARCH),win64 $$(tools/win32-runs >/dev/null && echo win32))"; \
	for a in $$arches; do TESSALY_ARCH=$$a tools/with-wine-session tools/bench || exit 1; done

clean:
	rm -rf build
