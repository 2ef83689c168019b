# The two set-up commands: `make play` and `make test`.
BUILD_DIR := build
JOBS      := $(shell nproc 2>/dev/null || echo 2)
# `make fuzz`: every fuzz target for FUZZ_SECONDS each, in a clang build of its own.
FUZZ_DIR     := build-fuzz
FUZZ_SECONDS := 60
# Where `make install` puts the game; the game looks for its files there.
PREFIX    ?= /usr/local
DESTDIR   ?=
# Where `make deb` leaves the package.
DIST_DIR  := dist

.PHONY: play test deps build bench bench-cpu bench-startup fuzz clean install deb deb-deps

play: build
	cd data && ../$(BUILD_DIR)/paperlune

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

deps:
	sh tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAPERLUNE_BUILD_TREE_DATA=ON
	cmake --build $(BUILD_DIR) -j$(JOBS)

# XDamage tells the key-to-screen benchmark when a key's place is drawn.
bench:
	sh tools/install-deps.sh libxdamage-dev
	$(MAKE) build
	$(BUILD_DIR)/bench/paperlune_bench
	$(BUILD_DIR)/bench/paperlune_keylatency
	$(BUILD_DIR)/bench/paperlune_stillpages
	$(BUILD_DIR)/bench/paperlune_startup 9

# CPU of the real game on each screen, on desktops of three sizes.
bench-cpu: build
	for size in 640x480 1920x1080 3840x2160; do $(BUILD_DIR)/bench/paperlune_cpu $$size || exit 1; done

# Start-up to the first picture, from outside; OLD=path/to/paperlune compares.
bench-startup: build
	$(BUILD_DIR)/bench/paperlune_startup 9 $(OLD)

fuzz: build
	sh tools/install-deps.sh clang libclang-rt-14-dev valgrind
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DPAPERLUNE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j$(JOBS)
	sh fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(BUILD_DIR)

# An installed game must not reach back into this tree for its files.
install: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAPERLUNE_BUILD_TREE_DATA=OFF \
	      -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_DIR) -j$(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR)

deb-deps: deps
	sh tools/install-deps.sh --package

# dpkg-buildpackage leaves its results beside the source tree; they are moved
# into $(DIST_DIR), and lintian must find nothing that is not overridden.
deb: deb-deps
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
