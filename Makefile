# The two commands of the README: `make run` and `make test`. Each installs what
# is missing, configures and builds before it runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
# Seconds per fuzz target: a short run in `make test`, as long as asked in `make fuzz`.
FUZZ_TEST_SECONDS ?= 12
FUZZ_SECONDS ?= 600
FUZZ_TARGETS = WaveFileFuzz SetupFileFuzz AreaFileFuzz ShiftJisFuzz CliFuzz
JOBS       ?= $(shell nproc)

.PHONY: run test bench memory build deps configure clean package pictures test-main test-asan test-tsan test-fuzz fuzz fuzz-build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHARKWELL_SANITIZE=ON -DHARKWELL_CORE_ONLY=ON

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARKWELL_TSAN=ON -DHARKWELL_CORE_ONLY=ON

$(FUZZ_BUILD)/build.ninja: | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DHARKWELL_CORE_ONLY=ON -DHARKWELL_FUZZ=ON

# The package is built with Debian's hardening flags, and only the programs it holds.
$(PACKAGE_BUILD)/build.ninja: | deps
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON

$(BENCH_BUILD)/build.ninja: | deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHARKWELL_BENCH=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd "$(CURDIR)" && $(BUILD)/src/app/harkwell

test-main: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The core again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The tests that start threads again under ThreadSanitizer; a race fails them.
test-tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target harkwell_core_tests
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# over their seed corpora and then briefly; any finding fails.
fuzz-build: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

test-fuzz: fuzz-build
	tests/fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_TEST_SECONDS)

# As long as asked: make fuzz FUZZ_SECONDS=3600 (per target, one core).
fuzz: fuzz-build
	nice tests/fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test: test-main test-asan test-tsan test-fuzz

bench: deps $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target harkwell_bench
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/harkwell_bench --benchmark_counters_tabular=true

# The peak memory of a loaded one-hour and three-hour tune.
memory: deps $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target harkwell_tune_memory
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/harkwell_tune_memory 60 180

# The Debian package, in $(PACKAGE_BUILD)/; `sudo apt install ./$(PACKAGE_BUILD)/harkwell_*.deb` installs it.
package: deps $(PACKAGE_BUILD)/build.ninja
	cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target harkwell harkwell-cli
	cd $(PACKAGE_BUILD) && cpack -G DEB
	lintian --fail-on error,warning $(PACKAGE_BUILD)/harkwell_*.deb

# The manual's pictures of the windows, taken anew from the real windows.
pictures: build
	tools/manual/take-pictures.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
