# The two everyday commands are `make run` and `make test`; both install what is missing first.
BUILD   := build
JOBS    ?= $(shell nproc)
CONFIG  = cmake -S . -G Ninja -Wno-dev
.PHONY: run test soak e2e asan tsan bench fuzz deps format release debug install package \
        check-package

deps:
	@scripts/install-deps

release: deps
	@$(CONFIG) -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/release -j $(JOBS)

debug: deps
	@$(CONFIG) -B $(BUILD)/debug -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/debug -j $(JOBS)

run: release
	$(BUILD)/release/ui/window/fendrel

test: debug
	@cd $(BUILD)/debug && ctest --output-on-failure -j $(JOBS)

# Installs the Release build below PREFIX, staged in DESTDIR when given:
# `make install PREFIX=/usr DESTDIR=/tmp/stage`. The programs look for the overlay library and
# the help page below PREFIX, so a change of PREFIX builds them again.
PREFIX  ?= /usr/local
DESTDIR ?=
install: deps
	@$(CONFIG) -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD)/release -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD)/release

# The Debian package build/package/fendrel_VERSION_ARCH.deb, from a Release build of the programs
# alone, installed below /usr, with Debian's hardening flags, stripped.
PACKAGE_BUILD := $(BUILD)/package-release
package: deps
	@scripts/install-deps package
	@export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP='-g -O2'; \
	  $(CONFIG) -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DFENDREL_STRIP=ON -DFENDREL_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack -B $(abspath $(BUILD))/package

# Validates the package's desktop entry, AppStream metadata and the package itself (lintian),
# installs it (as root, through sudo otherwise), runs both installed programs and removes it.
check-package: package
	scripts/check-package $(BUILD)/package

# The races of safe rewriting for many rounds: two runs at once on one tree, a program writing a
# file in place while a task reads it, a name swapped for a link during runs, and runs over
# hard-linked files killed at any moment and then recovered; then the same through fendrel-cli
# (scripts/soak-cli; the link swap as root against another user). About fifteen minutes.
SOAK_ROUNDS ?= 200
soak: debug
	FENDREL_SOAK_ROUNDS=$(SOAK_ROUNDS) $(BUILD)/debug/tests/engine/engine_tests --gtest_filter='SafeRewrite.*'
	scripts/soak-cli $(BUILD)/debug $(SOAK_ROUNDS)

# The desktop program driven through one complete run on a virtual X server, without a window
# manager and under openbox; screenshots go to build/e2e/bare/ and build/e2e/openbox/.
e2e: release
	@scripts/install-deps screens
	scripts/e2e $(BUILD)/release
	scripts/e2e $(BUILD)/release openbox

# The tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@$(CONFIG) -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DFENDREL_SANITIZE=address,undefined >/dev/null
	@cmake --build $(BUILD)/asan -j $(JOBS)
	@cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)

# The tests under ThreadSanitizer (worker, scanner, dispatcher).
tsan: deps
	@$(CONFIG) -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=Debug -DFENDREL_SANITIZE=thread >/dev/null
	@cmake --build $(BUILD)/tsan -j $(JOBS)
	@cd $(BUILD)/tsan && ctest --output-on-failure -j $(JOBS)

bench: release
	@scripts/install-deps bench
	@bench/run-all $(BUILD)/release

# Fuzzes FUZZ_TARGET (regex_compile_fuzz: the pattern compiler; regex_match_fuzz: searches and
# substitutions; regex_matcher_agreement_fuzz: the thread matcher and the engine's own choice
# against the backtracker, match for match) for FUZZ_SECONDS (default 60) with clang's libFuzzer
# under AddressSanitizer and UndefinedBehaviorSanitizer; the corpus grows in
# build/fuzz-corpus/FUZZ_TARGET.
FUZZ_SECONDS ?= 60
FUZZ_TARGET ?= regex_compile_fuzz
# container_fuzz (the container reader and extraction) needs room for a few directory entries:
# FUZZ_MAX_LEN=4096.
FUZZ_MAX_LEN ?= 512
fuzz: deps
	@scripts/install-deps fuzz
	@CC=clang CXX=clang++ $(CONFIG) -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DFENDREL_FUZZ=ON -DFENDREL_SANITIZE=address,undefined >/dev/null
	@cmake --build $(BUILD)/fuzz --target $(FUZZ_TARGET) -j $(JOBS)
	@mkdir -p $(BUILD)/fuzz-corpus/$(FUZZ_TARGET)
	$(BUILD)/fuzz/fuzz/$(FUZZ_TARGET) -max_total_time=$(FUZZ_SECONDS) -max_len=$(FUZZ_MAX_LEN) \
	  -print_final_stats=1 $(BUILD)/fuzz-corpus/$(FUZZ_TARGET)

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i
