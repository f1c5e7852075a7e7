# Quillo: set-up, build, tests and benchmarks. Run as root on Debian 12
# (or with sudo available): missing packages are installed first.

BUILD      := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
JOBS       ?= $(shell nproc)
ARGS       ?=
# `make install` installs below /usr/local and `make package` builds a package
# below /usr, as Debian's rules want, unless PREFIX is given.
PREFIX     ?=
DESTDIR    ?=
# The package's maintainer, "Name <address>"; the build's setting unless given.
MAINTAINER ?=
INSTALL_PREFIX = $(or $(PREFIX),/usr/local)
# Seconds each fuzz target runs in `make fuzz`; `make test` runs each for 10.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := settings list_file drop_names command_line line_readers search_run

PACKAGES := g++ make cmake ninja-build qt6-base-dev qt6-qpa-plugins libgl-dev \
            libgtest-dev libbenchmark-dev xvfb xauth xdotool imagemagick \
            at-spi2-core python3-pyatspi dbus fonts-dejavu-core \
            librsvg2-bin desktop-file-utils appstream dpkg-dev file groff-base x11-utils ripgrep \
            clang libclang-rt-14-dev lintian libre2-dev pkg-config

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build build-asan build-fuzz test test-asan fuzz fuzz-run soak run bench screenshot install package \
        install-prefix clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON -DQUILLO_BENCH=OFF

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The fuzz targets (fuzz/): the plain C++ libraries built again with clang,
# instrumented for libFuzzer, with AddressSanitizer and
# UndefinedBehaviorSanitizer.
$(FUZZ_BUILD)/build.ninja:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUILLO_FUZZ=ON

build-fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# The build pointed at the prefix where install or package put the program
# (the program finds its files from it).
install-prefix: deps $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(INSTALL_PREFIX) \
	  $(if $(MAINTAINER),"-DQUILLO_MAINTAINER=$(MAINTAINER)") >/dev/null

# The program, its desktop entry, icons, AppStream file, manual page, README,
# copyright file and changelog below $(DESTDIR)$(PREFIX), /usr/local unless
# PREFIX is given.
install: INSTALL_PREFIX = $(or $(PREFIX),/usr/local)
install: install-prefix
	cmake --build $(BUILD) -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

# The same files as a Debian package in $(BUILD)/, below /usr unless PREFIX is
# given, its dependencies computed from the libraries the program links.
package: INSTALL_PREFIX = $(or $(PREFIX),/usr)
package: install-prefix
	cmake --build $(BUILD) -j $(JOBS) --target package

# Every test (lintian on the package among them), then the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer: any sanitizer report
# fails the run. The install and package checks look at files, not at the
# program's memory: that pass leaves them out, with the real-window tests.
# Last, every fuzz target for 10 seconds.
test: build build-asan build-fuzz
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory fuzz-run FUZZ_SECONDS=10

test-asan:
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen QUILLO_SANITIZED=1 \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -E real_window -LE install

# Every fuzz target for FUZZ_SECONDS seconds, one after the other.
fuzz: build-fuzz
	$(MAKE) --no-print-directory fuzz-run

fuzz-run:
	@for t in $(FUZZ_TARGETS); do fuzz/run.sh $(FUZZ_BUILD) $$t $(FUZZ_SECONDS) || exit 1; done

# A thousand runs in the main window, offscreen: memory, open files and the
# last run's output, written to $(BUILD)/soak.json.
soak: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/quillo-soak --out $(BUILD)/soak.json --work $(BUILD)/soak-files

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/quillo $(ARGS); \
	else \
	  echo "No display: starting the program under Xvfb"; \
	  xvfb-run -a -s "-screen 0 1024x768x24" ./$(BUILD)/quillo $(ARGS); \
	fi

# A picture of the main window, taken under Xvfb, for the README.
screenshot: build
	scripts/screenshot.sh ./$(BUILD)/quillo docs/screenshot.png

# Engine figures, the settings file of 10 MB, then the run in the main window
# offscreen and under Xvfb, all written to $(BUILD)/bench.json.
bench: build
	./$(BUILD)/quillo-bench --out $(BUILD)/bench.json --corpus $(BUILD)/bench-corpus
	./$(BUILD)/quillo-settings-bench --out $(BUILD)/bench.json
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/quillo-window-bench --out $(BUILD)/bench.json \
	  --corpus $(BUILD)/bench-corpus --platform offscreen
	xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb ./$(BUILD)/quillo-window-bench \
	  --out $(BUILD)/bench.json --corpus $(BUILD)/bench-corpus --platform xcb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
