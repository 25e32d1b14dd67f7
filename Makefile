# Morvanta's front door: `make run`, `make test`, `make bench` and `make screenshots`.
# Every target installs missing system packages first, then configures and builds with CMake.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
CTEST_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test test-wm test-kwin test-plasma6 bench screenshots sanitize sanitize-e2e release-build \
	clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DMORVANTA_WERROR=ON \
			$(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Morvanta on your desktop, or, without a display, its demonstration on a private one.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target morvanta
	@scripts/run $(BUILD_DIR)

# Everything but the window-manager matrix, then the real program in a headless KDE Plasma on
# its own: a compositor, Morvanta and real programs keep two cores busy by themselves.
test: build
	@scripts/install-deps --tests
	cd $(BUILD_DIR) && ctest -LE '^(wm|kwin_app)$$' --output-on-failure -j $(JOBS) $(CTEST_FLAGS)
	cd $(BUILD_DIR) && ctest -L '^kwin_app$$' --output-on-failure -j 1 $(CTEST_FLAGS)

# The real program in a headless KDE Plasma (KWin on Wayland), driven from outside; the last
# step of `make test`, alone.
test-kwin: build
	@scripts/install-deps --tests
	cd $(BUILD_DIR) && ctest -L '^kwin_app$$' --output-on-failure -j 1 $(CTEST_FLAGS)

# The window-manager matrix: Morvanta beside each window manager of the matrix, one test each,
# one at a time: a window manager, Morvanta and the real programs already keep two cores busy,
# and two such desktops side by side starve each other's timing. A compositing window manager
# on a loaded machine now and then misses a deadline: a failed window manager gets one more try,
# and ctest's output shows it.
test-wm: build
	@scripts/install-deps --tests
	cd $(BUILD_DIR) && ctest -L wm --output-on-failure -j 1 --repeat until-pass:2 $(CTEST_FLAGS)

# The KWin tiers again beside KDE Plasma 6's KWin: Debian 13's, run from a root folder of its own
# that scripts/plasma6-root makes once (this system's KWin is Plasma 5.27).
PLASMA6_ROOT ?= $(abspath $(BUILD_DIR))/plasma6-root
test-plasma6: build
	@scripts/install-deps --tests
	@scripts/plasma6-root $(PLASMA6_ROOT)
	cd $(BUILD_DIR) && MORVANTA_TEST_KWIN_ROOT=$(PLASMA6_ROOT) \
		ctest -L '^kwin$$' --output-on-failure -j $(JOBS) $(CTEST_FLAGS)
	cd $(BUILD_DIR) && MORVANTA_TEST_KWIN_ROOT=$(PLASMA6_ROOT) \
		ctest -L '^kwin_app$$' --output-on-failure -j 1 $(CTEST_FLAGS)

bench: build
	@set -e; for b in $(BUILD_DIR)/bin/bench_*; do \
		[ -x "$$b" ] || continue; \
		echo "== $$(basename $$b)"; \
		"$$b"; \
	done

# Pictures of Morvanta's windows, its tray menu and its focus border for people to look at (the
# ones in docs/images come from here), written to SCREENSHOT_DIR; `make test` leaves them out.
SCREENSHOT_DIR ?= $(BUILD_DIR)/screenshots
screenshots: build
	@scripts/install-deps --tests
	@set -e; for s in $(BUILD_DIR)/bin/screenshots_*; do \
		[ -x "$$s" ] || continue; \
		echo "== $$(basename $$s)"; \
		MORVANTA_SCREENSHOT_DIR="$(abspath $(SCREENSHOT_DIR))" "$$s" --gtest_brief=1; \
	done
	@echo "Screenshots: $(SCREENSHOT_DIR)"

# AddressSanitizer + UndefinedBehaviorSanitizer build in its own folder.
sanitize:
	$(MAKE) test BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DMORVANTA_SANITIZE=ON -DMORVANTA_BUILD_BENCH=OFF"

# The end-to-end tiers (the real program, the controller host, the self-test, the shortcuts,
# `morvanta msg`)
# built with Clang under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, in a
# build of their own that makes only what those tiers run. A leak report at exit fails the
# run, but for the suppressions in tests/sanitizers/lsan.supp.
SANITIZE_DIR ?= build-sanitize
E2E_TARGETS = morvanta e2e_app_test e2e_quit_test e2e_controller_test e2e_switch_test \
	selftest_verdicts_test e2e_shortcuts_test e2e_msg_test
sanitize-e2e: deps
	@scripts/install-deps --tests
	@if [ ! -f $(SANITIZE_DIR)/build.ninja ]; then \
		CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_DIR) -G Ninja \
			-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANTA_SANITIZE=ON -DMORVANTA_BUILD_BENCH=OFF; \
	fi
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target $(E2E_TARGETS)
	cd $(SANITIZE_DIR) && \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest -L e2e --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# What a packager builds: a plain Release configuration without -Werror, the program only.
RELEASE_DIR ?= build-release
release-build: deps
	@if [ ! -f $(RELEASE_DIR)/build.ninja ]; then \
		cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DMORVANTA_BUILD_TESTS=OFF -DMORVANTA_BUILD_BENCH=OFF; \
	fi
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target morvanta

clean:
	rm -rf $(BUILD_DIR)
