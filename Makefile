# The two set-up commands: `make play` and `make test`.
BUILD_DIR := build
JOBS      := $(shell nproc 2>/dev/null || echo 2)
# `make fuzz`: every fuzz target for FUZZ_SECONDS each, in a clang build of its own.
FUZZ_DIR     := build-fuzz
FUZZ_SECONDS := 60

.PHONY: play test deps build bench bench-cpu fuzz clean

play: build
	cd data && ../$(BUILD_DIR)/paperlune

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j1

deps:
	sh tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$(JOBS)

bench: build
	$(BUILD_DIR)/bench/paperlune_bench

# CPU of the real game on each screen, on desktops of three sizes.
bench-cpu: build
	for size in 640x480 1920x1080 3840x2160; do $(BUILD_DIR)/bench/paperlune_cpu $$size || exit 1; done

fuzz: build
	sh tools/install-deps.sh clang libclang-rt-14-dev valgrind
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DPAPERLUNE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j$(JOBS)
	sh fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR) data
