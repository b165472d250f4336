# Entry points for newcomers and CI. Every target installs what is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps configure build run test test-asan bench clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/Orbiclock/Orbiclock -autoupdate
	@echo "Generated page: $(abspath $(BUILD))/Orbiclock/Orbiclock.html"

# Every test: the normal build, then the Qt-free core again under AddressSanitizer and UBSan.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	@$(MAKE) --no-print-directory test-asan

test-asan: deps
	@cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DORBICLOCK_SANITIZE=ON -DORBICLOCK_BUILD_GUI=OFF >/dev/null
	@cmake --build $(BUILD)-asan -j$(JOBS)
	ctest --test-dir $(BUILD)-asan --output-on-failure -j$(JOBS)

# The benchmarks, then the whole-process comparison with xplanet (bench/compare-xplanet), in an optimised
# build of their own without the tests.
bench: deps
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DORBICLOCK_BUILD_BENCH=ON \
	  -DORBICLOCK_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)-bench -j$(JOBS)
	@bash bench/run-all $(BUILD)-bench
	@bash bench/compare-xplanet $(BUILD)-bench/Orbiclock

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-bench
