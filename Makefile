# make demo: install what is missing, build, run the main job.
# make test: install what is missing, build, run every test and scenario, on the embedded store
#   and on a PostgreSQL server: the one TALVERO_PG_URL names, or else a throwaway local one that
#   tests/pg_server.sh starts for the run and stops afterwards, whatever the outcome.
# make screenshots: the screen in each mode as PNG files in $(BUILD)/screenshots (no display needed).
BUILD ?= build
PACKAGES := g++ cmake make libgtest-dev libsqlite3-dev qt6-base-dev postgresql libpq-dev libcli11-dev
JOBS ?= $(shell nproc)

.PHONY: all deps build test demo screenshots clean

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

clean:
	rm -rf $(BUILD)
