# Top-level commands.  `make run` builds and runs a real example; `make test`
# builds and runs the whole test suite.  Both first check the Debian packages
# the build and the tests need (tools/install-deps), installing what is
# missing; `make build` does not, so it stays usable where packages come from
# elsewhere or cannot be installed.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/productmix/productmix.qmlp
PYTHON     ?= /usr/bin/python3

.PHONY: all deps build run test test-asan bench python clean

all: build

# A configure that fails leaves no cache behind, so the next make tries again.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release || { rm -f $(BUILD)/CMakeCache.txt; exit 1; }

deps:
	tools/install-deps

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The packages are in place before the configure starts, also under make -j.
run: deps
	$(MAKE) --no-print-directory build
	$(BUILD)/qmlp $(EXAMPLE)

test: deps
	$(MAKE) --no-print-directory build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQMLP_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -LE slow

bench:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DQMLP_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	bench/run_netlib.sh

# The Python package, installed for $(PYTHON) from the build made here (see
# README, "Python"); PIP_FLAGS says where to (default: the user's site).
PIP_FLAGS  ?= --user --break-system-packages
python: deps
	$(MAKE) --no-print-directory build
	QMLP_BUILD_DIR=$(abspath $(BUILD)) $(PYTHON) -m pip install $(PIP_FLAGS) .

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
