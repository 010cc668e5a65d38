# The two everyday commands: `make run` and `make test`.
BUILD ?= build
BUILD_TYPE ?= Debug
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-asan bench package test-package clean format

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-demo $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own tree.
# Leak reports are off: Qt keeps some memory until the process ends.
SANITIZE = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
test-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$(SANITIZE)" \
		-DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-release -j $(JOBS)
	@./bench/run build-release

# The Debian package, from a Release tree of the two programs only (no tests, no benchmarks).
package: deps
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-release -j $(JOBS) --target qintara qintara-db packaging_files
	@cd build-release && cpack -G DEB
	@rm -rf build-release/_CPack_Packages

# Unpacks the package into a temporary root and starts the installed program.
test-package: package build
	@cd $(BUILD) && QINTARA_PACKAGE_REQUIRED=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R '^package$$'

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD) build-release build-asan
