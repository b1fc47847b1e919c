# The two commands of the README: `make demo` and `make test`. Each installs what is missing,
# configures, builds and runs. CI (CI=true) builds with warnings as errors.
PRESET ?= $(if $(CI),mingw-ci,mingw)
BUILD_DIR := build/$(PRESET)
HARNESS := tools/wine-harness.sh $(BUILD_DIR) --
# The pure code built natively with clang, sanitizers and libFuzzer.
NATIVE_PRESET ?= $(if $(CI),native-ci,native)
NATIVE_DIR := build/$(NATIVE_PRESET)
# Wine workers of `make test`, each with its own display and Wine prefix: most of a Wine test's time
# is waiting, so two overlap well on two cores.
WINE_WORKERS ?= 2
# Seconds each fuzz target runs in `make fuzz` (the test suite runs each for a few seconds).
FUZZ_SECONDS ?= 60

.PHONY: all setup configure build package test demo bench soak format check-format lint clean native-build native-test fuzz

all: build

setup:
	@tools/setup.sh

$(BUILD_DIR)/build.ninja: | setup
	cmake --preset $(PRESET)

configure: setup $(BUILD_DIR)/build.ninja

build: configure
	cmake --build --preset $(PRESET)

# The zip a user installs from, with its SHA-256 beside it: $(BUILD_DIR)/package/.
package: build
	cd $(BUILD_DIR) && cpack --config CPackConfig.cmake

check-format: setup
	tools/check-format.sh

# shellcheck on every script, following what it sources, and the formatting of every source file.
lint: check-format
	git ls-files -co --exclude-standard -- '*.sh' | xargs -r shellcheck -x -P SCRIPTDIR

# The native build and its tests run beside the Wine tests (tools/run-tests.sh).
test: lint build
	tools/run-tests.sh $(BUILD_DIR) $(PRESET) $(WINE_WORKERS)

$(NATIVE_DIR)/build.ninja: | setup
	cmake --preset $(NATIVE_PRESET)

native-build: setup $(NATIVE_DIR)/build.ninja
	cmake --build --preset $(NATIVE_PRESET)

native-test: native-build
	ctest --preset $(NATIVE_PRESET)

fuzz: native-build
	KX_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --preset $(NATIVE_PRESET) -L fuzz --timeout $$(( $(FUZZ_SECONDS) + 120 ))

demo: build
	$(HARNESS) tools/demo.sh $(BUILD_DIR)

bench: build
	cmake --build --preset $(PRESET) --target benchmarks
	$(HARNESS) tools/bench.sh $(BUILD_DIR)

# A hundred daemon restarts and a hundred plug-in restarts, each bounded in time (about 15 min).
soak: build
	$(HARNESS) tools/soak.sh $(BUILD_DIR)

format: setup
	git ls-files -co --exclude-standard -- '*.h' '*.hpp' '*.c' '*.cpp' | xargs -r clang-format -i

clean:
	rm -rf build
