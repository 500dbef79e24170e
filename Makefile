# Front door: `make test` installs what it needs, builds and runs every test.
PRESET ?= $(if $(CI),ci,default)

.PHONY: all deps configure build test run install clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

# Starts Velto on the bundled example calendar, whose meetings recur every day.
run: build
	./build$(if $(CI),-ci,)/Sources/Velto/velto --calendar examples/demo.ics

# The program, its launcher and its icon under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install build$(if $(CI),-ci,) --prefix $(PREFIX)

clean:
	rm -rf build build-ci
