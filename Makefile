# Front door: `make test` installs what it needs, builds and runs every test, then builds
# and runs them all again under AddressSanitizer and UndefinedBehaviorSanitizer.
PRESET ?= $(if $(CI),ci,default)

.PHONY: all deps configure build test sanitize fuzz bench run install deb deb-check clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)
	$(MAKE) --no-print-directory sanitize

# The whole suite under the sanitizers (gcc, build-asan): any finding, leaks included, fails.
sanitize: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS on its seeds (clang, build-fuzz): see scripts/fuzz.
FUZZ_SECONDS ?= 60
fuzz: deps
	./scripts/install-fuzz-deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) ./scripts/fuzz

# The speed and memory figures of bench/README.md, in under ten minutes (not part of make test).
bench: build
	command -v khal > /dev/null || apt-get install -y -qq khal time xvfb dbus
	./build$(if $(CI),-ci,)/bench/LinkDetectionBench
	./build$(if $(CI),-ci,)/bench/CalendarLoadBench
	./build$(if $(CI),-ci,)/bench/RefreshBench
	BUILD_DIR=build$(if $(CI),-ci,) bench/compare-khal
	BUILD_DIR=build$(if $(CI),-ci,) bench/idle
	BUILD_DIR=build$(if $(CI),-ci,) bench/eds

# Starts Velto on the bundled example calendar, whose meetings recur every day.
run: build
	./build$(if $(CI),-ci,)/Sources/Velto/velto --calendar examples/demo.ics

# The program, its launcher and its icon under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install build$(if $(CI),-ci,) --prefix $(PREFIX)

# The Debian package, build-deb/velto_<version>_<arch>.deb, built by debhelper from debian/.
deb: deps
	./scripts/install-package-deps
	rm -f build-deb/velto_*.deb
	dpkg-buildpackage --build=binary --no-sign \
	  --buildinfo-option=-ubuild-deb --changes-option=-ubuild-deb \
	  --buildinfo-file=build-deb/velto.buildinfo --changes-file=build-deb/velto.changes

# The package checked as a user meets it (see scripts/check-package): installs it, then purges it.
deb-check: deb
	./scripts/check-package

clean:
	rm -rf build build-ci build-asan build-fuzz build-deb
