# Front door. `make run` and `make test` work on a fresh Debian machine:
# both install what is missing first (tools/bootstrap).
.PHONY: all bootstrap build build-win64 build-win32 build-native test run bench bench-engine stress clean

all: build

bootstrap:
	@tools/bootstrap

build: bootstrap build-win64 build-win32

build-win64 build-win32 build-native: build-%:
	@test -f build/$*/build.ninja || cmake --preset $* >/dev/null
	@cmake --build --preset $*

test: build build-native
	@tools/run-tests

run: build
	@tools/run-program

bench-engine: build
	@tools/run-bench engine

bench: build
	@tools/run-bench program

stress: build
	@tools/run-stress

clean:
	rm -rf build/win64 build/win32 build/native
