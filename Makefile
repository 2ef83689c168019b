# The two set-up commands: `make play` and `make test` (`sh setup play` and
# `sh setup test` where make itself is missing). Each installs only what it
# needs: playing the game's build tools, libraries and data makers; the tests,
# benchmarks and fuzzing add theirs (tools/packages/*.list).
BUILD_DIR := build
JOBS      := $(shell nproc 2>/dev/null || echo 2)
CONFIGURE := cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAPERLUNE_BUILD_TREE_DATA=ON
# `make fuzz`: every fuzz target for FUZZ_SECONDS each, in a clang build of its own.
FUZZ_DIR     := build-fuzz
FUZZ_SECONDS := 60
# `make sanitize`: the tests under AddressSanitizer and UBSan, in a build of
# their own (the data made by the plain one): every unit test, and the window tests of what a player keeps
# (the game itself built the same way). The libraries' own leaks are listed,
# each with its reason, in tests/sanitize/lsan.supp.
SANITIZE_DIR := build-asan
SANITIZE_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp \
                ASAN_OPTIONS=fast_unwind_on_malloc=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
SANITIZE_WINDOW_TESTS := ^(Keeping|Progress|Feedback)\.
# Where `make install` puts the game; the game looks for its files there.
PREFIX    ?= /usr/local
DESTDIR   ?=
# Where `make deb` leaves the package.
DIST_DIR  := dist

.PHONY: play test game build sanitize bench-build bench bench-cpu bench-startup fuzz clean install deb

play: game
	cd data && ../$(BUILD_DIR)/paperlune

# The game and its data, nothing else (a tree configured for the tests keeps
# them, but they are not built here).
game:
	sh tools/install-deps.sh play
	$(CONFIGURE)
	cmake --build $(BUILD_DIR) -j$(JOBS) --target game_and_data

# Four at once on two cores: a window test spends most of its time waiting
# for the game (a fade, a hold, a typist's pace), not computing.
TEST_JOBS := 4

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(TEST_JOBS)

# Everything the tests need, built.
build:
	sh tools/install-deps.sh play test
	$(CONFIGURE) -DBUILD_TESTING=ON -DPAPERLUNE_BENCH=OFF
	cmake --build $(BUILD_DIR) -j$(JOBS)

sanitize: build
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAPERLUNE_BUILD_TREE_DATA=ON \
	      -DBUILD_TESTING=ON -DPAPERLUNE_BENCH=OFF -DPAPERLUNE_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j$(JOBS) --target unit_tests kill_tests kill_driver window_tests
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j2 -L unit
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j2 -R '$(SANITIZE_WINDOW_TESTS)'

bench-build:
	sh tools/install-deps.sh play test bench
	$(CONFIGURE) -DBUILD_TESTING=ON -DPAPERLUNE_BENCH=ON
	cmake --build $(BUILD_DIR) -j$(JOBS)

bench: bench-build
	$(BUILD_DIR)/bench/paperlune_bench
	$(BUILD_DIR)/bench/paperlune_keylatency
	$(BUILD_DIR)/bench/paperlune_stillpages
	$(BUILD_DIR)/bench/paperlune_startup 9

# CPU of the real game on each screen, on desktops of three sizes.
bench-cpu: bench-build
	for size in 640x480 1920x1080 3840x2160; do $(BUILD_DIR)/bench/paperlune_cpu $$size || exit 1; done

# Start-up to the first picture, from outside; OLD=path/to/paperlune compares.
bench-startup: bench-build
	$(BUILD_DIR)/bench/paperlune_startup 9 $(OLD)

fuzz: build
	sh tools/install-deps.sh play test fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DPAPERLUNE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j$(JOBS)
	sh fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(BUILD_DIR)

# An installed game must not reach back into this tree for its files.
install:
	sh tools/install-deps.sh play
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAPERLUNE_BUILD_TREE_DATA=OFF \
	      -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_DIR) -j$(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR)

# dpkg-buildpackage leaves its results beside the source tree; they are moved
# into $(DIST_DIR), and lintian must find nothing that is not overridden.
deb:
	sh tools/install-deps.sh play deb
	dpkg-buildpackage -us -uc -b
	mkdir -p $(DIST_DIR)
	set -e; v=$$(dpkg-parsechangelog -S Version); a=$$(dpkg --print-architecture); \
	for f in paperlune_$${v}_$$a.deb paperlune-dbgsym_$${v}_$$a.deb \
	         paperlune_$${v}_$$a.buildinfo paperlune_$${v}_$$a.changes; do \
	  if [ -e ../$$f ]; then mv ../$$f $(DIST_DIR)/; fi; \
	done; \
	lintian --fail-on error,warning $(DIST_DIR)/paperlune_$${v}_$$a.changes; \
	echo "Package: $(DIST_DIR)/paperlune_$${v}_$$a.deb"

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR) data $(DIST_DIR) obj-* debian/.debhelper debian/paperlune debian/paperlune-dbgsym \
	       debian/files debian/*.substvars debian/*.debhelper.log debian/debhelper-build-stamp
