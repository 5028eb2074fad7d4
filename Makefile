# SPDX-License-Identifier: GPL-3.0-or-later
# Two commands do everything: `make run` and `make test`.
# Both install what is missing, configure and build first.

JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
# Warnings are errors on CI (CI=true); locally they stay warnings.
WERROR    := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all deps build run package test test-plain test-asan asan bench fuzz pictures clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_WERROR=$(WERROR)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/app && ./tavik

# The Debian package (build/tavik_<version>_<arch>.deb), made by CPack from the install rules.
package: build
	cd $(BUILD) && cpack -G DEB

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DTAVIK_SANITIZE=ON -DTAVIK_WERROR=$(WERROR)

asan: deps $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)

test-asan: asan
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS)

# The whole suite, plain and under AddressSanitizer and UndefinedBehaviorSanitizer.
test: test-plain test-asan

# Benchmarks, each against a baseline measured in the same run.
bench: build
	@tools/install-deps.sh libbenchmark-dev
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target bench_tavik bench_folder bench_stalls minimal_label
	$(BUILD)/bench/bench_tavik
	$(BUILD)/bench/bench_folder
	bench/under_xvfb.sh $(BUILD)/bench/bench_stalls
	bench/startup.sh $(BUILD)/app $(BUILD)/bench/minimal_label

# Fuzzes the high-score reader and the insertion for FUZZ_SECONDS (libFuzzer, clang).
FUZZ_SECONDS ?= 60
fuzz: deps
	@tools/install-deps.sh clang libclang-rt-14-dev
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIK_FUZZ=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_highscore
	mkdir -p build-fuzz/corpus
	cp -n resources/HSTavik build-fuzz/corpus/ 2>/dev/null || true
	build-fuzz/tests/fuzz/fuzz_highscore -max_total_time=$(FUZZ_SECONDS) -max_len=4096 build-fuzz/corpus

# Redraws the standard pictures and the artwork under resources/ (the build itself never needs this).
pictures: build
	cmake --build $(BUILD) --target make_pictures
	$(BUILD)/tools/make_pictures resources

clean:
	rm -rf $(BUILD) $(ASAN) build-fuzz
