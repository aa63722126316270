# Robustness checks of the module, included by the Makefile:
#   make sanitize        unit, frame buffer and end-to-end tests built with the
#                        address and undefined-behaviour sanitizers (build/asan)
#   make valgrind-check  one end-to-end flight under valgrind memcheck
#   make fuzz-smoke      each fuzz target for FUZZ_SMOKE_SECONDS (default 60)
#   make fuzz            each fuzz target for FUZZ_SECONDS (default 300)
#   make gdiplus-faults  every GDI+ call of a scripted session failed in turn,
#                        with each of three statuses, and every creation
#                        failed for good (the test suite runs a stride)
#   make robustness      all four
#   make robustness-in-test  the first three: part of `make test`, whose test
#                        suite fails a stride of the GDI+ calls (every call
#                        in turn takes some six minutes here)
# Suppressions of leaks inside the uninstrumented drawing libraries (never the
# module's own) are documented in tests/sanitizers/.

ASAN_BUILD := $(BUILD)/asan
FUZZ_BUILD := $(BUILD)/fuzz
FUZZ_SECONDS ?= 300
FUZZ_SMOKE_SECONDS ?= 60
# The sanitized suite flies a shorter soak; the plain suite flies the hour.
ASAN_SOAK_FRAMES ?= 16200

SANITIZER_FLAGS := -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all -fno-omit-frame-pointer
SANITIZER_ENV := \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  LSAN_OPTIONS=suppressions=$(ROOT)/tests/sanitizers/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  QUILLON_SOAK_FRAMES=$(ASAN_SOAK_FRAMES)

VALGRIND_SCENARIO := FlightUnderValgrind.*

.PHONY: robustness robustness-in-test sanitize sanitize-build valgrind-check fuzz-build fuzz fuzz-smoke gdiplus-faults

robustness: robustness-in-test gdiplus-faults
robustness-in-test: sanitize valgrind-check fuzz-smoke

FAULT_SWEEP := $(BUILD)/linux/tests/quillon_gdiplus_fault_sweep
FAULT_SWEEP_DIRECT := $(BUILD)/linux/Quillon-direct.so
FAULT_SWEEP_JOBS ?= $(JOBS)

gdiplus-faults: build-linux
	@$(QUIETLY) "GDI+ calls failed in turn" $(LOGS)/gdiplus-faults.log \
	  $(FAULT_SWEEP) $(SO_LINUX) --direct $(FAULT_SWEEP_DIRECT) --status all --jobs $(FAULT_SWEEP_JOBS)
	@$(QUIETLY) "GDI+ creations failed for good" $(LOGS)/gdiplus-faults-kept.log \
	  $(FAULT_SWEEP) $(SO_LINUX) --direct $(FAULT_SWEEP_DIRECT) --keep-failing --status OutOfMemory \
	    --jobs $(FAULT_SWEEP_JOBS)
	@grep -h "^GDI+ fault sweep" $(LOGS)/gdiplus-faults.log $(LOGS)/gdiplus-faults-kept.log

sanitize-build: deps
	@$(QUIETLY) "configure asan" $(LOGS)/configure-asan.log \
	  cmake -S $(ROOT) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	    "-DCMAKE_C_FLAGS=$(SANITIZER_FLAGS)" "-DCMAKE_CXX_FLAGS=$(SANITIZER_FLAGS)" \
	    "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZER_FLAGS)" "-DCMAKE_SHARED_LINKER_FLAGS=$(SANITIZER_FLAGS)"
	@$(QUIETLY) "build asan" $(LOGS)/build-asan.log \
	  cmake --build $(ASAN_BUILD) -j $(JOBS) --target quillon_unit_tests quillon_frame_buffer_tests quillon_e2e_tests

# The test programs run whole (one process each) rather than test by test.
sanitize: sanitize-build
	@$(QUIETLY) "unit tests under asan+ubsan" $(LOGS)/asan-unit.log \
	  env $(SANITIZER_ENV) $(ASAN_BUILD)/tests/quillon_unit_tests
	@$(QUIETLY) "frame buffer tests under asan+ubsan" $(LOGS)/asan-frame-buffers.log \
	  env $(SANITIZER_ENV) $(ASAN_BUILD)/tests/quillon_frame_buffer_tests
	@$(QUIETLY) "end-to-end tests under asan+ubsan" $(LOGS)/asan-e2e.log \
	  env $(SANITIZER_ENV) $(ASAN_BUILD)/tests/quillon_e2e_tests

valgrind-check: build-linux
	@$(QUIETLY) "end-to-end flight under valgrind" $(LOGS)/valgrind.log \
	  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
	    --errors-for-leak-kinds=definite --track-origins=yes --keep-debuginfo=yes \
	    --suppressions=$(ROOT)/tests/sanitizers/valgrind.supp \
	    $(BUILD)/linux/tests/quillon_e2e_tests --gtest_filter='$(VALGRIND_SCENARIO)'

fuzz-build: deps
	@$(QUIETLY) "configure fuzz" $(LOGS)/configure-fuzz.log \
	  cmake -S $(ROOT)/fuzz -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	@$(QUIETLY) "build fuzz" $(LOGS)/build-fuzz.log cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	@$(ROOT)/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@$(ROOT)/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)
