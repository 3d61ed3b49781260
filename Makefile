# Thin targets over the CMake presets. Each first installs what is missing.
.PHONY: all deps build run test build-sanitize test-sanitize bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	build/default/checks/zor_package_checks

test: build
	ctest --preset default

build-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize

test-sanitize: build-sanitize
	ctest --preset sanitize

bench: build
	build/default/bench/zor_package_bench

clean:
	rm -rf build
