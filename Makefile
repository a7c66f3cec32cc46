# The front door: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD := build
ASAN_BUILD := build-asan
WINDOWS_BUILD := build-windows
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
DESTDIR ?=
# What `make install` puts under $(DESTDIR)$(PREFIX), and so what `make uninstall` removes.
INSTALLED := bin/flakemorph bin/flakemorph-trace share/man/man6/flakemorph.6 \
	share/man/man1/flakemorph-trace.1 share/xscreensaver/config/flakemorph.xml \
	libexec/xscreensaver/flakemorph

.PHONY: all deps build build-asan windows test-windows run test bench format clean install uninstall

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

# The Windows screen saver, cross-built: $(WINDOWS_BUILD)/flakemorph-<version>-windows-x64.zip.
# Its tests compare the Windows trace tool with the Linux one of $(BUILD) when that is built.
windows: deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_LINUX_BUILD=$(CURDIR)/$(BUILD)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@ls $(WINDOWS_BUILD)/flakemorph-*-windows-x64.zip

# The Windows build's tests, under Wine.
test-windows: build windows
	bash scripts/wine-tests.sh $(WINDOWS_BUILD) -j $(JOBS)

run: build
	./$(BUILD)/flakemorph

test: build build-asan windows
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)
	bash scripts/wine-tests.sh $(WINDOWS_BUILD) -j $(JOBS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	rm -f $(addprefix "$(DESTDIR)$(PREFIX)/,$(addsuffix ",$(INSTALLED)))

bench: build
	./$(BUILD)/flakemorph-bench

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp' '*.c')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD)
