# Quick start: `make demo` and `make test` (both install what is missing).
ARCHS := x86_64 i386

.PHONY: all setup build demo test test-hosts bench install clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@for a in $(ARCHS); do bash scripts/build.sh $$a || exit 1; done

demo: build
	@bash scripts/demo.sh

# Then once more under ThreadSanitizer (the threading tests) and under
# AddressSanitizer + UndefinedBehaviorSanitizer (every x86_64 suite).
test: build
	@bash scripts/build.sh tsan
	@bash scripts/build.sh asan
	@for a in $(ARCHS) tsan asan; do bash scripts/test.sh $$a || exit 1; done
	@echo "make test: all tests passed on $(ARCHS), under ThreadSanitizer and under AddressSanitizer + UBSan"

# The editor in a real host (Ardour under Xvfb); needs the ardour package.
test-hosts: build
	@bash scripts/setup.sh --hosts
	@bash scripts/test-hosts.sh

# Ten interleaved repetitions per benchmark; the ratios at the end of each
# run use their median and minimum (scripts/bench.sh).
BENCH_FLAGS ?= --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
	--benchmark_min_time=0.2 --benchmark_report_aggregates_only=true

bench: build
	@bash scripts/bench.sh $(BENCH_FLAGS)

# The x86_64 plug-ins where Linux hosts look for them: the LV2 bundle in
# ~/.lv2, the VST 2 plug-in in ~/.vst (LV2_DIR= and VST_DIR= to change).
LV2_DIR ?= $(HOME)/.lv2
VST_DIR ?= $(HOME)/.vst

install: setup
	@bash scripts/build.sh x86_64
	@mkdir -p "$(LV2_DIR)" "$(VST_DIR)"
	@rm -rf "$(LV2_DIR)/tessaro.lv2"
	@cp -r build/x86_64/tessaro.lv2 "$(LV2_DIR)/"
	@cp build/x86_64/tessaro.so "$(VST_DIR)/"
	@echo "make install: $(LV2_DIR)/tessaro.lv2 and $(VST_DIR)/tessaro.so"

clean:
	rm -rf build
