# The front door: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD := build
ASAN_BUILD := build-asan
JOBS ?= $(shell nproc)

.PHONY: all deps build build-asan run test bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The unit and tool tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLAKEMORPH_SANITIZE=ON -DFLAKEMORPH_WINDOW=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	./$(BUILD)/flakemorph

test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/flakemorph-bench

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp' '*.c')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
