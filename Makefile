# The front door: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD := build
ASAN_BUILD := build-asan
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
DESTDIR ?=
# What `make install` puts under $(DESTDIR)$(PREFIX), and so what `make uninstall` removes.
INSTALLED := bin/flakemorph bin/flakemorph-trace share/man/man6/flakemorph.6 \
	share/man/man1/flakemorph-trace.1 share/xscreensaver/config/flakemorph.xml \
	libexec/xscreensaver/flakemorph

.PHONY: all deps build build-asan run test bench format clean install uninstall

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Every test again, the live program's included, built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLAKEMORPH_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	./$(BUILD)/flakemorph

test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	rm -f $(addprefix "$(DESTDIR)$(PREFIX)/,$(addsuffix ",$(INSTALLED)))

bench: build
	./$(BUILD)/flakemorph-bench

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp' '*.c')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
