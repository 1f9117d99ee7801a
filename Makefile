# make demo: install what is missing, build, run the main job.
# make test: install what is missing, build, run every test and scenario, on the embedded store
#   and on a PostgreSQL server: the one TALVERO_PG_URL names, or else a throwaway local one that
#   tests/pg_server.sh starts for the run and stops afterwards, whatever the outcome.
# make screenshots: the screen in each mode as PNG files in $(BUILD)/screenshots (no display needed).
# make bench: times the store and the screen against bare SQLite (data cached in $(BUILD)/bench-data).
# make reliability: the reliability suite at length (crash, fuzz, failing store, read-only
#   operator), then the libFuzzer targets for FUZZ_SECONDS each when clang is installed.
# make sanitize: every test under AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize).
BUILD ?= build
PACKAGES := g++ cmake make libgtest-dev libsqlite3-dev qt6-base-dev postgresql libpq-dev \
  libcli11-dev libbenchmark-dev
JOBS ?= $(shell nproc)

.PHONY: all deps build test demo screenshots clean bench reliability sanitize fuzz

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: build
	@state=$$(mktemp); \
	url=$$(tests/pg_server.sh start $$state) || { rm -f $$state; exit 1; }; \
	trap 'tests/pg_server.sh stop '$$state INT TERM; \
	[ -s $$state ] && restart="$(CURDIR)/tests/pg_server.sh restart $$state"; \
	(cd $(BUILD) && TALVERO_PG_URL="$$url" TALVERO_PG_RESTART="$$restart" \
	  ctest --output-on-failure -j $(JOBS)); status=$$?; \
	tests/pg_server.sh stop $$state; exit $$status

# With a display: the window on the demo database. Without one: the demo scenarios played through
# the real widgets offscreen, then a screenshot of each screen mode.
demo: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/talvero-host; \
	else \
	  echo "make demo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set):"; \
	  echo "playing the demo scenarios through the real widgets offscreen instead."; \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/talvero-replay --qt --verbose demo/*.scn || exit $$?; \
	  echo "make demo: screenshots of each screen mode, in $(BUILD)/screenshots:"; \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/talvero-screenshots --out $(BUILD)/screenshots; \
	fi

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/talvero-screenshots --out $(BUILD)/screenshots
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/talvero-screenshots --out $(BUILD)/screenshots/x2

# The server store is measured on TALVERO_PG_URL, or a throwaway local server as for make test,
# but syncing its commits to the disk, so that its durable writes are.
bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target talvero-bench
	@state=$$(mktemp); \
	url=$$(TALVERO_PG_DURABLE=1 tests/pg_server.sh start $$state) || { rm -f $$state; exit 1; }; \
	trap 'tests/pg_server.sh stop '$$state INT TERM; \
	TALVERO_PG_URL="$$url" $(BUILD)/talvero-bench $(BENCH_ARGS); status=$$?; \
	tests/pg_server.sh stop $$state; exit $$status

FUZZ_SECONDS ?= 60
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

# The long forms run on the embedded store and on a PostgreSQL server (TALVERO_PG_URL, or a
# throwaway local one as for make test).
reliability: build
	@state=$$(mktemp); \
	url=$$(tests/pg_server.sh start $$state) || { rm -f $$state; exit 1; }; \
	trap 'tests/pg_server.sh stop '$$state INT TERM; \
	(cd $(BUILD) && export TALVERO_LONG=1 TALVERO_PG_URL="$$url" && \
	  ./reliability_test > reliability.log 2>&1 && \
	  ./writing_test --gtest_filter='*ProcessesCreatingAtOnce*' >> reliability.log 2>&1); \
	status=$$?; tests/pg_server.sh stop $$state; \
	grep -E '^reliability:|PASSED|FAILED|SKIPPED' $(BUILD)/reliability.log; exit $$status
	@if command -v clang++ >/dev/null; then $(MAKE) --no-print-directory fuzz; \
	else echo "clang++ not installed: the seeded random fuzz tests above stand in for libFuzzer"; fi

# Each target starts from the sentences the screen sends and from a record of the catalogue.
fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVERO_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_query fuzz_record
	@mkdir -p build-fuzz/corpus-query build-fuzz/corpus-record
	@printf 'SSELECT RUBSAISIE PAR 1' > build-fuzz/corpus-query/list
	@printf 'SSELECT RUBSAISIE AVEC 1 = "PRIME]" PAR 1' > build-fuzz/corpus-query/label
	@printf 'SSELECT PLANCOMPTABLE AVEC @ID = "00141]" PAR 1' > build-fuzz/corpus-query/number
	@printf 'SSELECT RUBSAISIE SANS 0 = "014" AND AVEC 18 = ""' > build-fuzz/corpus-query/detail
	@printf 'SALAIRE\376\375\374A\3761' > build-fuzz/corpus-record/item
	@for target in query record; do \
	  build-fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    build-fuzz/corpus-$$target > build-fuzz/fuzz_$$target.log 2>&1; status=$$?; \
	  echo "fuzz_$$target: $$(grep -E 'stat::number_of_executed_units' build-fuzz/fuzz_$$target.log)"; \
	  if [ $$status -ne 0 ]; then tail -30 build-fuzz/fuzz_$$target.log; exit $$status; fi; \
	done

sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	@state=$$(mktemp); \
	url=$$(tests/pg_server.sh start $$state) || { rm -f $$state; exit 1; }; \
	trap 'tests/pg_server.sh stop '$$state INT TERM; \
	(cd build-sanitize && TALVERO_PG_URL="$$url" ctest --output-on-failure -j $(JOBS)); \
	status=$$?; tests/pg_server.sh stop $$state; exit $$status

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
