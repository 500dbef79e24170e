# Front door: `make test` installs what it needs, builds and runs every test.
PRESET ?= $(if $(CI),ci,default)

.PHONY: all deps configure build test clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

clean:
	rm -rf build build-ci
