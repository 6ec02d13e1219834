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

bench: build
	@for a in $(ARCHS); do echo "== $$a"; ./build/$$a/tessaro-bench || exit 1; done

clean:
	rm -rf build
