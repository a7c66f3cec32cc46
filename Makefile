# The front door: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD := build
ASAN_BUILD := build-asan
WINDOWS_BUILD := build-windows
WEB_BUILD := build-web
PACKAGE_BUILD := build-deb
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
DESTDIR ?=
# What `make install` puts under $(DESTDIR)$(PREFIX), and so what `make uninstall` removes.
INSTALLED := bin/flakemorph bin/flakemorph-trace share/man/man6/flakemorph.6.gz \
	share/man/man1/flakemorph-trace.1.gz share/xscreensaver/config/flakemorph.xml \
	libexec/xscreensaver/flakemorph share/applications/screensavers/flakemorph.desktop \
	share/doc/flakemorph/copyright share/doc/flakemorph/changelog.gz
# What earlier versions installed and this one no longer does, also removed by uninstall.
FORMERLY_INSTALLED := share/man/man6/flakemorph.6 share/man/man1/flakemorph-trace.1
# The prefix and the folders those files go into, parents first. Install notes which of them it
# creates, in INSTALL_RECORD, so that uninstall removes those of them that are left empty, and
# no others.
FOLDERS := . bin share share/man share/man/man1 share/man/man6 share/xscreensaver \
	share/xscreensaver/config share/applications share/applications/screensavers share/doc \
	share/doc/flakemorph share/flakemorph libexec libexec/xscreensaver
INSTALL_RECORD := share/flakemorph/created-folders
# Without a record (installed by cmake --install), only the folders that are flakemorph's own
# or a screen saver's are removed when empty.
OWN_FOLDERS := share/flakemorph share/doc/flakemorph libexec/xscreensaver \
	share/xscreensaver/config share/xscreensaver share/applications/screensavers
ROOT := $(DESTDIR)$(PREFIX)

.PHONY: all deps test-deps deb-deps windows-deps web-deps build build-tests build-asan windows \
	test-windows web test-web run test bench deb format clean install uninstall

all: build

deps:
	@bash scripts/install-deps.sh run

test-deps:
	@bash scripts/install-deps.sh test

windows-deps:
	@bash scripts/install-deps.sh windows

web-deps:
	@bash scripts/install-deps.sh web

deb-deps:
	@bash scripts/install-deps.sh deb

# The two programs alone: no test framework or benchmark library is needed.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# The same folder with the tests, their helpers and the benchmarks.
build-tests: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

# Every test again, the live program's included, built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
build-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLAKEMORPH_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The Windows screen saver, cross-built: $(WINDOWS_BUILD)/flakemorph-<version>-windows-x64.zip,
# its installer flakemorph-<version>-setup.exe and the installer's winget manifests.
# Its tests compare the Windows trace tool with the Linux one of $(BUILD) when that is built.
windows: windows-deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_LINUX_BUILD=$(CURDIR)/$(BUILD)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@ls $(WINDOWS_BUILD)/flakemorph-*-windows-x64.zip $(WINDOWS_BUILD)/flakemorph-*-setup.exe

# The Windows build's tests, under Wine.
test-windows: build-tests windows
	bash scripts/wine-tests.sh $(WINDOWS_BUILD) -j $(JOBS)

# The web page, one file that needs nothing beside it: $(WEB_BUILD)/flakemorph.html, and its
# module and loader apart (docs/web.md). Its tests compare the WebAssembly trace tool with the
# Linux one of $(BUILD) when that is built.
web: web-deps
	cmake -S . -B $(WEB_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_LINUX_BUILD=$(CURDIR)/$(BUILD)
	cmake --build $(WEB_BUILD) -j $(JOBS)

# The web build's tests: the trace tool under node, the page in headless Chromium.
test-web: build-tests web
	ctest --test-dir $(WEB_BUILD) --output-on-failure

run: build
	./$(BUILD)/flakemorph

test: build-tests build-asan windows web
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)
	bash scripts/wine-tests.sh $(WINDOWS_BUILD) -j $(JOBS)
	ctest --test-dir $(WEB_BUILD) --output-on-failure

# flakemorph_<version>_amd64.deb here, built apart with Debian's hardening flags.
deb: deb-deps
	DEB_BUILD_MAINT_OPTIONS=hardening=+all; export DEB_BUILD_MAINT_OPTIONS; \
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DFLAKEMORPH_TESTS=OFF \
		-DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/package/flakemorph_*.deb
	cd $(PACKAGE_BUILD) && cpack
	cp $(PACKAGE_BUILD)/package/flakemorph_*.deb .

# Installs what `make` built, and never builds: under sudo that would leave root's files in
# the build folder.
install:
	@for program in flakemorph flakemorph-trace; do \
	  if [ ! -x "$(BUILD)/$$program" ]; then \
	    echo "make install: $(BUILD)/$$program is not built yet: run 'make' first (not as root)" >&2; \
	    exit 1; \
	  fi; \
	done
	@created=""; \
	for folder in $(FOLDERS); do \
	  [ -d "$(ROOT)/$$folder" ] || created="$$created $$folder"; \
	done; \
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" || exit 1; \
	chown --reference="$(BUILD)" "$(BUILD)/install_manifest.txt" 2>/dev/null || true; \
	mkdir -p "$(ROOT)/share/flakemorph"; \
	printf '%s\n' $$created $$(cat "$(ROOT)/$(INSTALL_RECORD)" 2>/dev/null) | sort -u \
	  >"$(ROOT)/$(INSTALL_RECORD).new"; \
	mv "$(ROOT)/$(INSTALL_RECORD).new" "$(ROOT)/$(INSTALL_RECORD)"

# Removes the installed files, then the folders install created that are now empty, deepest
# first.
uninstall:
	rm -f $(addprefix "$(ROOT)/,$(addsuffix ",$(INSTALLED) $(FORMERLY_INSTALLED)))
	@if [ -f "$(ROOT)/$(INSTALL_RECORD)" ]; then \
	  folders=$$(cat "$(ROOT)/$(INSTALL_RECORD)"); \
	  rm -f "$(ROOT)/$(INSTALL_RECORD)"; \
	else \
	  folders="$(OWN_FOLDERS)"; \
	fi; \
	for folder in $$(printf '%s\n' $$folders | awk '{ print length, $$0 }' | sort -rn | cut -d' ' -f2-); do \
	  case "$$folder" in \
	    "") ;; \
	    .) rmdir "$(ROOT)" 2>/dev/null || true ;; \
	    *) rmdir "$(ROOT)/$$folder" 2>/dev/null || true ;; \
	  esac; \
	done

bench: build-tests
	./$(BUILD)/flakemorph-bench

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp' '*.c')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD) $(PACKAGE_BUILD)
