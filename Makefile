# Thin wrapper over CMake. `make run` builds and starts the program,
# `make test` builds and runs every test; both install what they need first.

BUILD    ?= build
TYPE     ?= RelWithDebInfo
SANITIZE ?= OFF
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=
# Rebuilds of the same sources (another clone, the sanitizer build after a
# plain one) come from ccache when it is installed; paths are taken relative
# to the checkout so that every clone shares the cache.
ifneq ($(shell command -v ccache),)
LAUNCHER = -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR = $(CURDIR)
export CCACHE_NOHASHDIR = 1
endif

BUILD_PKGS = ca-certificates cmake g++ make pkg-config ccache
# libfontconfig-dev: the window reads the font configuration itself while
# the display opens.
QT_PKGS    = qt6-base-dev libgl-dev libfontconfig-dev fonts-ipafont-gothic fonts-dejavu-core
# screenfilter-cli: command line, case files, plots drawn with Qt Charts,
# spreadsheet files.
CLI_PKGS   = libcli11-dev libtomlplusplus-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libxlsxwriter-dev
# The melt fit's least squares (Eigen, headers only).
MELT_PKGS  = libeigen3-dev
# The Python module: built for Debian's python3, with pybind11 and numpy.
PYTHON_PKGS = python3-dev pybind11-dev python3-numpy
TEST_PKGS  = python3-pytest libgtest-dev libgmock-dev libbenchmark-dev locales python3-openpyxl poppler-utils
FUZZ_PKGS  = clang libclang-rt-dev

PACKAGE_PKGS = dpkg-dev file desktop-file-utils appstream lintian xvfb xdotool

.PHONY: all deps run test build configure bench fuzz sanitize package check-package clean

all: build

deps:
	@sh tools/install-deps.sh $(BUILD_PKGS) $(QT_PKGS) $(CLI_PKGS) $(MELT_PKGS) $(PYTHON_PKGS) $(TEST_PKGS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(TYPE) -DSCREENFILTER_SANITIZE=$(SANITIZE) $(LAUNCHER) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/ui/screenfilter

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(MAKE) test BUILD=build-sanitize SANITIZE=ON TYPE=Debug CMAKE_FLAGS=-DSCREENFILTER_BENCH=OFF

bench: build
	$(BUILD)/bench/screenfilter_bench

# Runs each fuzz target for FUZZ_SECONDS, each from its corpus under fuzz/:
# the number readers, the case-file reader, the whole Calculate command, the
# viscosity points reader with the melt fit. New
# inputs go to build-fuzz/<target>-corpus; an input that breaks a target is
# written to build-fuzz as crash-* (or timeout-*): fix the code, then add
# the input to the committed corpus so that ctest replays it from then on.
# The case-file reader spends half its time on inputs of up to 8 KB and half
# on inputs of up to 128 KB from the first run on (long keys, deep nesting,
# huge texts), with a dictionary of TOML tokens.
FUZZ_SECONDS ?= 60
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -timeout=10
CASEFILE_FUZZ_FLAGS = -max_total_time=$$(( ($(FUZZ_SECONDS) + 1) / 2 )) -timeout=10 -dict=../fuzz/casefile.dict
fuzz:
	@sh tools/install-deps.sh $(BUILD_PKGS) $(TEST_PKGS) $(FUZZ_PKGS) $(MELT_PKGS) libtomlplusplus-dev
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
	    -DSCREENFILTER_LIBFUZZER=ON -DSCREENFILTER_UI=OFF -DSCREENFILTER_CLI=OFF \
	    -DSCREENFILTER_BENCH=OFF -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j $(JOBS) --target readers_fuzzer casefile_fuzzer calculate_fuzzer melt_points_fuzzer
	mkdir -p build-fuzz/readers-corpus build-fuzz/casefile-corpus build-fuzz/calculate-corpus build-fuzz/melt-points-corpus
	cd build-fuzz && fuzz/readers_fuzzer $(FUZZ_FLAGS) readers-corpus ../fuzz/corpus
	cd build-fuzz && fuzz/casefile_fuzzer $(CASEFILE_FUZZ_FLAGS) -max_len=8192 casefile-corpus ../fuzz/casefile-corpus
	cd build-fuzz && fuzz/casefile_fuzzer $(CASEFILE_FUZZ_FLAGS) -max_len=131072 -len_control=0 casefile-corpus ../fuzz/casefile-corpus
	cd build-fuzz && fuzz/calculate_fuzzer $(FUZZ_FLAGS) calculate-corpus ../fuzz/calculate-corpus
	cd build-fuzz && fuzz/melt_points_fuzzer $(FUZZ_FLAGS) melt-points-corpus ../fuzz/melt-points-corpus

# The Debian package, built with Debian's hardening flags; it lands in
# build-package/. check-package validates it and tries it out unpacked.
# -Wno-restrict: with these flags GCC 12 reports a memcpy overlap inside
# libstdc++ for "text" + std::string(...), a false positive GCC 13 no longer gives.
package:
	@sh tools/install-deps.sh $(BUILD_PKGS) $(QT_PKGS) $(CLI_PKGS) $(MELT_PKGS) $(PYTHON_PKGS) $(PACKAGE_PKGS)
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSCREENFILTER_BENCH=OFF $(LAUNCHER) \
	    -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS) -Wno-restrict" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	    -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack

check-package: package
	sh tools/check-package.sh build-package

clean:
	rm -rf build build-sanitize build-fuzz build-package
