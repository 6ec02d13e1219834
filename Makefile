# Quick start: `make demo` and `make test` (both install what is missing).
ARCHS := x86_64 i386

.PHONY: all setup build demo test test-hosts bench clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@for a in $(ARCHS); do bash scripts/build.sh $$a || exit 1; done

demo: build
	@bash scripts/demo.sh

test: build
	@bash scripts/build.sh tsan
	@for a in $(ARCHS) tsan; do bash scripts/test.sh $$a || exit 1; done
	@echo "make test: all tests passed on $(ARCHS) and under ThreadSanitizer"

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

clean:
	rm -rf build
