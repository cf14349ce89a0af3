# Front door. `make run` and `make test` work on a fresh Debian machine:
# both install what is missing first (tools/bootstrap).
.PHONY: all bootstrap build build-win64 build-win32 build-native test test-win32 run bench bench-engine bench-digests stress mutants clean

all: build

bootstrap:
	@tools/bootstrap

build: bootstrap build-win64 build-win32

build-win64 build-win32 build-native: build-%:
	@test -f build/$*/build.ninja || cmake --preset $* >/dev/null
	@cmake --build --preset $*

test: build build-native
	@tools/run-tests

# The 32-bit product under 32-bit Wine, in an emulated guest (tools/guest):
# the image is built once and cached outside the checkout.
test-win32: bootstrap build-win32
	@tools/guest/bootstrap
	@tools/guest/build-image
	@tools/guest/run tests

run: build
	@tools/run-program

bench-engine: build
	@tools/run-bench engine

# Each algorithm over one 1 GiB file and 128 x 16 MiB, beside coreutils,
# openssl dgst, rhash and libgcrypt.
bench-digests: build
	@tools/run-bench digests

bench: build
	@tools/run-bench program
	@tools/run-bench seek

stress: build
	@tools/run-stress

# Known faults planted one at a time in a scratch copy (build/mutants):
# prints the ones no test catches.
mutants: bootstrap
	@tools/mutants

clean:
	rm -rf build/win64 build/win32 build/native
