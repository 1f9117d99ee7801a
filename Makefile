# make demo: install what is missing, build, run the main job.
# make test: install what is missing, build, run every test and scenario, on the embedded store
#   and on a PostgreSQL server: the one TALVERO_PG_URL names, or else a throwaway local one that
#   tests/pg_server.sh starts for the run and stops afterwards, whatever the outcome.
BUILD ?= build
PACKAGES := g++ cmake make libgtest-dev libsqlite3-dev postgresql libpq-dev libcli11-dev
JOBS ?= $(shell nproc)

.PHONY: all deps build test demo clean

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

demo: build
	$(BUILD)/talvero-replay --verbose demo/*.scn

clean:
	rm -rf $(BUILD)
