# Morvanta's front door: `make run`, `make test` and `make bench`.
# Every target installs missing system packages first, then configures and builds with CMake.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
CTEST_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench sanitize clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Morvanta on your desktop, or, without a display, its demonstration on a private one.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target morvanta
	@scripts/run $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

bench: build
	@set -e; for b in $(BUILD_DIR)/bin/bench_*; do \
		[ -x "$$b" ] || continue; \
		echo "== $$(basename $$b)"; \
		"$$b"; \
	done

# AddressSanitizer + UndefinedBehaviorSanitizer build in its own folder.
sanitize:
	$(MAKE) test BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DMORVANTA_SANITIZE=ON -DMORVANTA_BUILD_BENCH=OFF"

clean:
	rm -rf $(BUILD_DIR)
