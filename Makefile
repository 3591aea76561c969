# The front door. `make run` starts the program, `make test` runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
ifeq ($(WERROR),1)
CMAKE_ARGS += -DLUMORA_WERROR=ON
endif

.PHONY: all deps configure build run test bench asan fuzz format clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/lumora-ai

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

bench: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	./scripts/run-benchmarks.sh $(BUILD)

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON -DLUMORA_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) -L unit -j $(JOBS) --output-on-failure

# A PNG fuzz target under libFuzzer with AddressSanitizer and UBSan (clang),
# for FUZZ_TIME seconds, with PngSuite as the seed corpus: the codec
# (png_codec_fuzz) or the image class (FUZZ_TARGET=png_image_fuzz).
FUZZ_BUILD  ?= build-fuzz
FUZZ_TIME   ?= 600
FUZZ_TARGET ?= png_codec_fuzz
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMORA_FUZZ=ON -DLUMORA_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGET)
	mkdir -p $(FUZZ_BUILD)/corpus/$(FUZZ_TARGET:_fuzz=)
	./$(FUZZ_BUILD)/fuzz/$(FUZZ_TARGET) -max_total_time=$(FUZZ_TIME) -rss_limit_mb=2048 \
		$(FUZZ_BUILD)/corpus/$(FUZZ_TARGET:_fuzz=) ../shared/testdata/pngsuite/png

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
