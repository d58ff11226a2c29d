# Two commands do everything on a fresh Debian 12 machine:
#   make test   install what is missing, build, run every test through CTest
#   make run    run the program against the simulated keyboard
# Variants: make test SANITIZE=1 (AddressSanitizer + UBSan), make tsan (ThreadSanitizer
# on the threaded tests), make fuzz FUZZ_SECONDS=20, make bench, make package (the .deb).

JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 20
BUILD_TYPE  ?= RelWithDebInfo
CMAKE_FLAGS ?=

PACKAGES      := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev ccache \
                 qt6-base-dev libgl-dev libxcb1-dev qt6-wayland fonts-dejavu-core fonts-droid-fallback xvfb xdotool x11-utils \
                 imagemagick dbus weston at-spi2-core python3-pyatspi \
                 dpkg-dev lintian desktop-file-utils appstream man-db
FUZZ_PACKAGES := clang libclang-rt-14-dev

# ccache (wired in CMakeLists.txt) rewrites paths inside this checkout to
# relative ones, so every clone and build folder on the machine shares hits;
# the debug builds' working folder is left out of the hash for the same reason
# (debug info then names paths relative to the build folder).
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

# CI builds with warnings as errors.
ifdef CI
  CMAKE_FLAGS += -DZARVEL_WERROR=ON
endif

ifeq ($(SANITIZE),1)
  BUILD_DIR ?= build-asan
  CMAKE_FLAGS += -DZARVEL_SANITIZE=address,undefined
  # The sanitizer build runs the tests only: build them and what they start
  # (zarvelctl, the skin), not the benchmarks or anything else.
  BUILD_TARGETS ?= zarvel_tests
  export ASAN_OPTIONS := detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
else
  BUILD_DIR ?= build
endif

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps fuzz-deps configure build test run tsan fuzz bench package clean

all: build

# Installs only what is missing, so a second run costs nothing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

fuzz-deps: deps
	$(call install_missing,$(FUZZ_PACKAGES))

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) $(if $(BUILD_TARGETS),--target $(BUILD_TARGETS))

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The window on the simulated keyboard: on the desktop's display, or without one
# a scripted tour under Xvfb with screenshots in build/screenshots/, then the
# zarvelctl demo.
run: build
	./scripts/run-window.sh $(BUILD_DIR)/bin

# ThreadSanitizer over the tests that run threads (named *Thread*, *Monitor*, *Listener*,
# *Concurrent*). Only the test programs holding such tests are built; of the windows only the
# Qt link and shutdown tests, whose waits are our own (Qt's library is not built for the
# checker, so other window code would only report its insides).
tsan:
	$(MAKE) build BUILD_DIR=build-tsan BUILD_TARGETS=zarvel_thread_tests \
	  CMAKE_FLAGS="$(CMAKE_FLAGS) -DZARVEL_SANITIZE=thread -DZARVEL_BENCH=OFF"
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -R 'Thread|Monitor|Listener|Concurrent'

fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVEL_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	./scripts/run-fuzzers.sh build-fuzz/bin $(FUZZ_SECONDS)

bench: build
	$(BUILD_DIR)/bin/zarvel_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	if [ -x $(BUILD_DIR)/bin/zarvel_gui_bench ]; then \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/zarvel_gui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	fi

# build/zarvel_VERSION_ARCH.deb: the programs, the program folder, the udev rule,
# menu and autostart entries, AppStream data, manual pages and bash completion.
package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@ls -1 $(BUILD_DIR)/zarvel_*.deb

clean:
	rm -rf build build-asan build-tsan build-fuzz
