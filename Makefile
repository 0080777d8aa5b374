# Wraps CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS ?= 2
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

CLI := $(BUILD)/cli/zefir-cli
DEMO := $(BUILD)/demo

SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

WINDOWS_BUILD ?= build-windows

LUPDATE ?= /usr/lib/qt6/bin/lupdate
# The core marks its messages with its own macros, which lupdate reads as
# Qt's.
LUPDATE_FLAGS := -tr-function-alias QT_TRANSLATE_NOOP+=ZEFIR_MESSAGE,QT_TRANSLATE_N_NOOP3+=ZEFIR_PLURAL \
	-I . -extensions cpp,h -locations relative -no-obsolete -source-language en
TRANSLATIONS := ui/translations

.PHONY: all deps configure build test run demo example clean test-sanitize fuzz bench \
	windows-deps windows-configure windows test-windows windows-dist deb-deps deb test-deb \
	translations-update

all: build

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || \
		cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Archive Editor on a fresh copy of the example archive, so that saving
# it changes nothing in the source tree. Without a display, the command-line
# demo instead. Builds only the program it starts; `make test` builds the
# rest.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target zefir
	@rm -rf $(BUILD)/run && mkdir -p $(BUILD)/run && cp examples/iconres.ezx $(BUILD)/run/
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/ui/zefir --edit $(BUILD)/run/iconres.ezx; \
	else \
		echo "make run: no display, so the command-line demo runs instead"; \
		$(MAKE) --no-print-directory demo; \
	fi

# The example archive extracted with conversion into a fresh folder, and
# what that wrote.
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target zefir-cli
	rm -rf $(DEMO)
	$(CLI) extract examples/iconres.ezx $(DEMO)
	cd $(DEMO) && ls -l raws icons

# Regenerates examples/iconres.ezx with the codecs.
example: build
	$(BUILD)/examples/zefir-make-example examples/iconres.ezx


# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@test -f $(SANITIZE_BUILD)/CMakeCache.txt || \
		cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZEFIR_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each (libFuzzer, clang).
fuzz: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || \
		CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
			-DZEFIR_FUZZ=ON -DZEFIR_BUILD_UI=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# zefir.exe, zefir-cli.exe and the Explorer thumbnail handler for 64-bit
# Windows, cross-compiled with mingw-w64 against the libraries
# scripts/build-windows-deps builds (once per machine, in its cache).
windows-deps:
	@scripts/install-deps --windows

windows-configure: windows-deps
	prefixes=$$(scripts/build-windows-deps) && \
		cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
			-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
			-DZEFIR_WINDOWS_PREFIXES="$$prefixes" -DQT_HOST_PATH=/usr \
			-DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

windows: windows-configure
	nice -n 19 cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target zefir-cli zefir_thumbnails $$(test -d $(WINDOWS_BUILD)/ui && echo zefir)

# Every test program built for Windows and run under Wine, then the
# Archive Editor started under Wine on a virtual X server.
test-windows: windows-configure
	nice -n 19 cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	tests/windows/run-tests $(WINDOWS_BUILD)

# The portable zip and the installer, in dist/.
windows-dist: windows
	scripts/windows-dist $(WINDOWS_BUILD) dist

# The Debian package dist/zefir_VERSION_amd64.deb, from the build's install
# rules; packing reuses the build.
deb-deps:
	@scripts/install-deps --deb

deb: deb-deps build
	cd $(BUILD) && cpack -G DEB

# Lints the package, installs it on this machine (dpkg, through sudo when
# not root), tries what it installed and removes it again.
test-deb: deb
	tests/package/test-deb-package $(BUILD) dist

# The translations brought up to date with the sources: new texts come in
# unfinished, texts gone go. The English file holds only the plural forms.
translations-update: deps
	$(LUPDATE) $(LUPDATE_FLAGS) -target-language ru core ui -ts $(TRANSLATIONS)/zefir_ru.ts
	$(LUPDATE) $(LUPDATE_FLAGS) -target-language zh_CN core ui -ts $(TRANSLATIONS)/zefir_zh_CN.ts
	$(LUPDATE) $(LUPDATE_FLAGS) -target-language en -pluralonly core ui -ts $(TRANSLATIONS)/zefir_en.ts

# Speed against tar on the same files; not a test.
bench: build
	bench/run-bench $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) dist
