# Quillon: the everyday jobs, each runnable on a fresh Debian 12 machine.
#   make run    install what is missing, build everything, render the gauges
#   make test   install what is missing, build everything, run every test
#   make build  the three builds: build/windows-i686 (Quillon.dll, the
#               product), build/windows-x64, build/linux (Quillon.so, the
#               stand-in host, tools, tests)
#   make bench  build in release mode (build/release), run the benchmarks,
#               print their table, write out/bench.json and its charts
#               out/bench.png
#   make bench-wine  the shipped 32-bit DLL against Quillon-direct.dll under
#               32-bit Wine, frame by frame, with where the time goes
#   make dist   the release zip out/Quillon-<version>.zip (release/)
#   make clean  remove build/ and out/
#   make robustness, sanitize, valgrind-check, fuzz, fuzz-smoke: see robustness.mk

ROOT := $(patsubst %/,%,$(dir $(abspath $(lastword $(MAKEFILE_LIST)))))
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
LINUX_BUILD_TYPE ?= Debug
WINDOWS_BUILD_TYPE ?= Release

BUILD := $(ROOT)/build
LOGS := $(BUILD)/logs
QUIETLY := $(ROOT)/scripts/quietly.sh
# The product. The 32-bit checks run exactly this file and, when they pass,
# write its sha256 (sha256sum format) to DLL_I686_CHECKED.
DLL_I686 := $(BUILD)/windows-i686/Quillon.dll
DLL_I686_CHECKED := $(DLL_I686).checked
DLL_X64 := $(BUILD)/windows-x64/Quillon.dll
SO_LINUX := $(BUILD)/linux/Quillon.so

.PHONY: all run test build deps clean bench \
        build-windows-i686 build-windows-x64 build-linux test-linux test-windows wine-check \
        test-i686

all: build

# The Debian packages: what the builds and the preview need for `make run`
# and `make build`; with matplotlib for the charts of `make bench`; with Wine,
# 32-bit Wine, an X server, the fuzzers' compiler and valgrind added for any
# goal that runs checks.
CHECK_GOALS := test test-% wine-check robustness% sanitize% valgrind-check fuzz% dist
DEPS_SET := $(if $(filter $(CHECK_GOALS),$(MAKECMDGOALS)),test,$(if $(filter bench,$(MAKECMDGOALS)),bench,build))

deps:
	@$(ROOT)/scripts/install-deps.sh $(DEPS_SET)

# ---- Builds -------------------------------------------------------------------
# Windows first: the Linux tests inspect the two DLLs.

build: build-windows-i686 build-windows-x64 build-linux

build-windows-i686: deps
	@$(QUIETLY) "configure windows-i686" $(LOGS)/configure-windows-i686.log \
	  cmake -S $(ROOT) -B $(BUILD)/windows-i686 \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-i686-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=$(WINDOWS_BUILD_TYPE)
	@$(QUIETLY) "build windows-i686" $(LOGS)/build-windows-i686.log \
	  cmake --build $(BUILD)/windows-i686 -j $(JOBS)

build-windows-x64: deps
	@$(QUIETLY) "configure windows-x64" $(LOGS)/configure-windows-x64.log \
	  cmake -S $(ROOT) -B $(BUILD)/windows-x64 \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-x86_64-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=$(WINDOWS_BUILD_TYPE)
	@$(QUIETLY) "build windows-x64" $(LOGS)/build-windows-x64.log \
	  cmake --build $(BUILD)/windows-x64 -j $(JOBS)

build-linux: deps build-windows-i686 build-windows-x64
	@$(QUIETLY) "configure linux" $(LOGS)/configure-linux.log \
	  cmake -S $(ROOT) -B $(BUILD)/linux \
	    -DCMAKE_BUILD_TYPE=$(LINUX_BUILD_TYPE) \
	    -DQUILLON_DLL_I686=$(DLL_I686) \
	    -DQUILLON_DLL_X64=$(DLL_X64)
	@$(QUIETLY) "build linux" $(LOGS)/build-linux.log \
	  cmake --build $(BUILD)/linux -j $(JOBS)

# ---- Tests --------------------------------------------------------------------
# The Linux tests include the inspection of both DLLs; the x64 build runs its
# own tests (under Wine) once it registers any.

test: test-linux test-windows wine-check test-i686 robustness-in-test
	@echo "All tests passed."

test-linux: build
	@$(ROOT)/scripts/run-ctest.sh "linux tests" $(BUILD)/linux $(JOBS)

test-windows: build
	@if ctest --test-dir $(BUILD)/windows-x64 -N 2>/dev/null | grep -q -E 'Total Tests: [1-9]'; then \
	  $(ROOT)/scripts/run-ctest.sh "windows-x64 tests" $(BUILD)/windows-x64 1; \
	fi

# The 64-bit DLL drawn under Wine against Wine's gdiplus, compared picture by
# picture with the Linux render of the same frames (docs/windows-checks.md);
# prints the figures of every picture. After the x64 tests: one Wine prefix.
wine-check: build test-windows
	@echo "  wine check: Linux and Wine renders compared"
	@$(ROOT)/scripts/wine-check.sh $(BUILD)

# The product itself, $(DLL_I686), under 32-bit Wine: run by the 32-bit
# stand-in in the simulator's calling conditions (4-byte stack alignment,
# x87 in single precision): its ctest (load, stand-in host, calling
# conditions) and the picture comparison. QUILLON_SKIP_32BIT_CHECKS=1 skips
# them explicitly; a machine that cannot run 32-bit programs fails here.
test-i686: build wine-check
	@$(ROOT)/scripts/wine32-checks.sh $(BUILD)

# ---- Run ----------------------------------------------------------------------
# Hook for the preview: scripts/run-preview.sh BUILD_DIR OUT_DIR renders the
# gauges into OUT_DIR once that script exists.

run: build
	@if [ -x $(ROOT)/scripts/run-preview.sh ]; then \
	  $(ROOT)/scripts/run-preview.sh "$(BUILD)" "$(ROOT)/out"; \
	fi
	@echo ""
	@echo "Quillon.dll (the gauge module, 32-bit Windows): $(DLL_I686)"
	@echo "Quillon.dll (64-bit Windows, for Wine checks):  $(DLL_X64)"
	@echo "Quillon.so  (Linux stand-in module):            $(SO_LINUX)"

# ---- Release ------------------------------------------------------------------
# The zip a simmer installs: the i686 DLL exactly as built here, the switch
# gauge, panel.cfg examples, Readme.txt. Only bytes that passed the 32-bit
# checks go in: when $(DLL_I686_CHECKED) does not match the DLL (a fresh
# tree, or the DLL rebuilt since `make test`), those checks run first.

.PHONY: dist
dist: build-linux
	@(cd $(BUILD)/windows-i686 && sha256sum --check --status Quillon.dll.checked 2>/dev/null) || \
	  $(MAKE) --no-print-directory test-i686
	@python3 $(ROOT)/release/make-dist.py --dll $(DLL_I686) --checked $(DLL_I686_CHECKED) \
	  --version-tool $(BUILD)/linux/release/quillon-dll-version --out $(ROOT)/out

# ---- Benchmarks -----------------------------------------------------------------
# Only the Linux pieces the benchmarks need, optimised. BENCH_ARGS passes
# options on (e.g. BENCH_ARGS=--quick, or --benchmark_filter=...). The charts
# are drawn from the figures the run wrote (tools/bench-chart).

RELEASE := $(BUILD)/release
# Debian's interpreter, which sees python3-matplotlib (a python3 earlier on
# PATH, pyenv's say, may not).
BENCH_PYTHON ?= $(firstword $(wildcard /usr/bin/python3) python3)

bench: deps
	@$(QUIETLY) "configure release" $(LOGS)/configure-release.log \
	  cmake -S $(ROOT) -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	@$(QUIETLY) "build release benchmarks" $(LOGS)/build-release.log \
	  cmake --build $(RELEASE) --target quillon_bench -j $(JOBS)
	@mkdir -p $(ROOT)/out
	@$(RELEASE)/bench/quillon_bench --json=$(ROOT)/out/bench.json \
	  --log=$(LOGS)/bench-runs.log $(BENCH_ARGS)
	@$(BENCH_PYTHON) $(ROOT)/tools/bench-chart/bench_chart.py $(ROOT)/out/bench.json -o $(ROOT)/out/bench.png

# The product's frames under 32-bit Wine against the reference, in one run.
# BENCH_WINE_REDRAWS (default 50) redraws a round; BENCH_WINE_FRAMES picks frames.
.PHONY: bench-wine
bench-wine: build-windows-i686
	@$(ROOT)/scripts/bench-wine.sh $(BUILD) $(or $(BENCH_WINE_REDRAWS),50) $(BENCH_WINE_FRAMES)

clean:
	rm -rf $(BUILD) $(ROOT)/out

include $(ROOT)/robustness.mk
