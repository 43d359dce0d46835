# Entry points: `make test` does the whole set-up on a fresh Debian 12 machine.
# The sanitizer runs leave out the label "crash" (real crashes of the crash
# handler): the sanitizers own the fatal signals there.
JOBS ?= 2
CTEST_ARGS ?=

.PHONY: deps test demo run package test-asan test-tsan bench fuzz format clean

deps:
	./scripts/install-deps

test: deps
	cmake --preset dev
	cmake --build build/dev -j$(JOBS)
	ctest --test-dir build/dev --output-on-failure -j$(JOBS) $(CTEST_ARGS)

# A short day at the shop with real processes: Zelkor, the stand-in agent
# and two virtual printers (PNG previews under build/demo/printers).
DEMO_TARGETS = Zelkor NUBEQ NUBEQ_IF NUBEQ_LOG nubeq-send zelkor-vprinter
demo: deps
	cmake --preset dev
	cmake --build build/dev -j$(JOBS) --target $(DEMO_TARGETS)
	./tools/demo/run-demo build/dev

# The program on this desktop with its tray icon, the stand-in agent and the
# demo's two virtual printers, until the tray menu's exit.
run: deps
	cmake --preset dev
	cmake --build build/dev -j$(JOBS) --target $(DEMO_TARGETS)
	./tools/demo/run-desktop build/dev

# The Debian packages zelkor and zelkor-tools (build/release/packages/*.deb),
# from the release preset, building only what they install.
package: deps
	cmake --preset release
	cmake --build build/release -j$(JOBS) --target zelkor-package-files
	cd build/release && cpack -G DEB
	@ls -1 build/release/packages/*.deb

test-asan: deps
	cmake --preset asan
	cmake --build build/asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build/asan --output-on-failure -j$(JOBS) -LE 'gui|crash' $(CTEST_ARGS)

test-tsan: deps
	cmake --preset tsan
	cmake --build build/tsan -j$(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --test-dir build/tsan --output-on-failure -j$(JOBS) -LE 'gui|crash' $(CTEST_ARGS)

bench: deps
	cmake --preset release
	cmake --build build/release -j$(JOBS) --target zelkor-bench
	./build/release/bench/zelkor-bench $(BENCH_ARGS)

# libFuzzer targets (clang, ASan + UBSan) for FUZZ_SECONDS each; the
# corpora in build/fuzz/corpus grow from run to run. FUZZ_TARGETS picks
# some, FUZZ_ARGS passes more libFuzzer options (e.g. -runs=1000000).
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= order-documents sales-report event-answer ini-file json-codes http-response \
                html-markup
FUZZ_ARGS ?=
fuzz: deps
	cmake --preset fuzz
	cmake --build build/fuzz -j$(JOBS)
	./fuzz/run-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS) -- $(FUZZ_ARGS)

format:
	find platform foundation printing pipeline agent crash app ui tools tests bench fuzz \
	  -name '*.h' -o -name '*.cpp' 2>/dev/null | xargs -r clang-format -i

clean:
	rm -rf build
