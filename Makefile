# Quillmarsh: the two commands of the README are `make run` and `make test`; both set up what
# they need. `make build` builds the programs into build/bin; `make bench` runs the benchmarks;
# `make install` installs them (PREFIX, default /usr/local; DESTDIR honoured); `make package`
# makes a Debian package (build/quillmarsh_*.deb).

BUILD_DIR      ?= build
TEST_BUILD_DIR ?= build-test
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages that the build, the tests and the benchmarks need.
DEB_PACKAGES := g++ make cmake ninja-build pkg-config \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libcli11-dev nlohmann-json3-dev \
	qt6-base-dev qt6-svg-dev fonts-liberation2 jq \
	ccache xvfb xauth x11-apps dpkg-dev desktop-file-utils \
	clang-14 libclang-rt-14-dev

CLI := $(BUILD_DIR)/bin/quillmarsh-cli

PREFIX  ?= /usr/local
DESTDIR ?=

.PHONY: all deps build run test test-build bench fuzz clean install package

all: build

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "Installing:$$missing"; \
	if [ "$$(id -u)" = 0 ]; then \
		apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then \
		sudo apt-get update -qq && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	else \
		echo "Please install the missing packages first:"; \
		echo "  sudo apt-get install$$missing"; \
		exit 1; \
	fi

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF

# The benchmark programs are built only by `make bench`; a tree it switched them on in is switched
# back, so that `make run` builds the programs alone.
build: deps $(BUILD_DIR)/build.ninja
	@if grep -q '^QM_BUILD_BENCH:BOOL=ON' $(BUILD_DIR)/CMakeCache.txt; then \
		cmake -S . -B $(BUILD_DIR) -DQM_BUILD_BENCH=OFF > /dev/null; \
	fi
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Analyses the example project, prints the run's log and the symbol tree the analysis found
# (the whole result document goes to build/example-analysis.json).
run: build
	$(CLI) analyze examples/example.qmp --dump log,units,tree,symbols > $(BUILD_DIR)/example-analysis.json
	@echo
	@echo "Symbols of the example project:"
	@jq -r -f scripts/symbol-tree.jq $(BUILD_DIR)/example-analysis.json
	@echo
	@echo "Result: $(BUILD_DIR)/example-analysis.json"
	@echo
	@mkdir -p out
	@for f in $(FLOW_EXAMPLES); do \
		name=$${f##*::}; \
		$(CLI) flow examples/example.qmp --function $$f -o out/flow-$$name.png > out/flow-$$name.json 2> out/flow-$$name.log \
			|| { cat out/flow-$$name.log; exit 1; }; \
		echo "Flowchart of $$f: out/flow-$$name.png"; \
	done
	@$(CLI) macro examples/example.qmp --unfold -o out/macro.png > out/macro.json 2> out/macro.log \
		|| { cat out/macro.log; exit 1; }
	@echo "Macro diagram (every box unfolded): out/macro.png"
	@$(CLI) class examples/example.qmp --class $(CLASS_EXAMPLE) -o out/class-Food.png > out/class-Food.json 2> out/class-Food.log \
		|| { cat out/class-Food.log; exit 1; }
	@echo "Class diagram of $(CLASS_EXAMPLE): out/class-Food.png"
	@echo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "Opening the window on the example project (close it to finish)."; \
		$(BUILD_DIR)/bin/quillmarsh --draw examples/example.qmp; \
	else \
		echo "No display here, so the window was not opened. In a desktop session, open it with"; \
		echo "  $(BUILD_DIR)/bin/quillmarsh --draw examples/example.qmp"; \
		echo "or see it without a screen: make screenshot (writes docs/window.png)."; \
	fi

# Functions of the example project whose flowcharts `make run` draws into out/: a switch with a
# loop in one case, a loop with nested decisions, a do-while loop with continue and try.
FLOW_EXAMPLES := shop::Order::advance shop::Money::fromString shop::parseOrderScript
# A class of the example project with two base classes, for its class diagram.
CLASS_EXAMPLE := shop::Food

# Draws the pictures that README.md shows again (docs/*.png).
.PHONY: pictures
pictures: build
	@mkdir -p docs
	$(CLI) flow examples/example.qmp --function shop::Money::fromString -o docs/flowchart.png > /dev/null 2> $(BUILD_DIR)/pictures.log \
		|| { cat $(BUILD_DIR)/pictures.log; exit 1; }
	$(CLI) macro examples/example.qmp --unfold -o docs/macro.png > /dev/null 2> $(BUILD_DIR)/pictures.log \
		|| { cat $(BUILD_DIR)/pictures.log; exit 1; }
	$(CLI) class examples/example.qmp --class $(CLASS_EXAMPLE) -o docs/class.png > /dev/null 2> $(BUILD_DIR)/pictures.log \
		|| { cat $(BUILD_DIR)/pictures.log; exit 1; }

# The README's picture of the main window: the example project drawn, every box unfolded and a
# function picked, taken on a virtual screen.
.PHONY: screenshot
screenshot: build
	cmake --build $(BUILD_DIR) --target quillmarsh-screenshot -j $(JOBS)
	@mkdir -p docs $(BUILD_DIR)/screenshot-config
	QUILLMARSH_CONFIG_DIR=$(BUILD_DIR)/screenshot-config xvfb-run -a -s '-screen 0 1600x1000x24' \
		$(BUILD_DIR)/bin/quillmarsh-screenshot examples/example.qmp advance docs/window.png

# The pictures of the help and tutorial pages (resources/Help/images), taken from the real program
# on Qt's offscreen platform: the tutorial's steps on the example project and every dialog.
.PHONY: tutorial-pictures
tutorial-pictures: build
	cmake --build $(BUILD_DIR) --target quillmarsh-tutorial-shots -j $(JOBS)
	@rm -rf $(BUILD_DIR)/shots-config && mkdir -p $(BUILD_DIR)/shots-config
	QUILLMARSH_CONFIG_DIR=$(BUILD_DIR)/shots-config QT_QPA_PLATFORM=offscreen \
		$(BUILD_DIR)/bin/quillmarsh-tutorial-shots examples/example.qmp resources/Help/images

# Tests build with AddressSanitizer and UndefinedBehaviorSanitizer in a tree of their own.
$(TEST_BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON \
		-DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON

test-build: deps $(TEST_BUILD_DIR)/build.ninja
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)

test: test-build
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake -S . -B $(BUILD_DIR) -DQM_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	bench/run_benchmarks.sh $(BUILD_DIR)

# Thread checks: the engine, the parallel analysis, the session and the desktop program (its runs,
# stops and closing), built with ThreadSanitizer in a tree of their own. Any report fails the target.
TSAN_BUILD_DIR ?= build-tsan
TSAN_SUITES    := test_frontend test_session test_cli test_app
.PHONY: tsan
tsan: deps
	cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
		-DQM_TSAN=ON -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS) --target $(TSAN_SUITES)
	cd $(TSAN_BUILD_DIR)/bin && export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
		QT_QPA_PLATFORM=offscreen && \
		./test_frontend && ./test_session && ./test_cli && ./test_app


# libFuzzer targets (tests/fuzz) built with clang, each run for FUZZ_SECONDS from its seeds. The
# test build replays the same targets over their seeds and saved failures (ctest: fuzz_replay_*).
$(FUZZ_BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
		-DQM_FUZZ=ON -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF -DQM_BUILD_GUI=OFF

fuzz: deps $(FUZZ_BUILD_DIR)/build.ninja
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz-all
	scripts/run-fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

# Both programs, their data, the desktop entry, the .qmp file type and the icon. The desktops'
# caches are refreshed when installing into the running system.
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ]; then \
		command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime || true; \
		command -v update-desktop-database >/dev/null && update-desktop-database -q $(PREFIX)/share/applications || true; \
		command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor || true; \
	fi

package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/quillmarsh_*.deb

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR) $(TSAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
