# The two commands of the README, and the further checks.
.PHONY: demo test run bench check-asan check-clang check-windows check-windows-gui check-package check-second-image package screenshots ports bootstrap build build-asan build-clang \
        windows windows-installer windows-msi release check-reproducible check-real-usb

# Qt wants a private runtime folder; a root shell without a desktop session has none.
export XDG_RUNTIME_DIR ?= $(shell d=/tmp/runtime-$$(id -u); mkdir -p -m 700 $$d; echo $$d)

# Every date that the builds write (resources, package, installer) is the last commit's, so that
# two builds of one commit give the same files.
SOURCE_DATE_EPOCH ?= $(shell git -C "$(CURDIR)" log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

# Builds and test runs take the machine's cores, or as many jobs as these variables say.
export CMAKE_BUILD_PARALLEL_LEVEL ?= $(shell nproc)
export CTEST_PARALLEL_LEVEL ?= $(CMAKE_BUILD_PARALLEL_LEVEL)

bootstrap:
	@scripts/bootstrap

# OPTIONS_CMAKE: further options of the build, for example -DZANTREL_TESTS=OFF.
build: bootstrap
	@cmake --preset default $(OPTIONS_CMAKE) >/dev/null
	@cmake --build --preset default

build-asan: bootstrap
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

build-clang:
	@scripts/bootstrap clang
	@cmake --preset clang >/dev/null
	@cmake --build --preset clang

# A whole update against the simulated device.
demo: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi; \
	build/bench/zantrel_demo --auto --answer no

test: build
	@ctest --preset default

check-asan: build-asan
	@ctest --preset asan

# The same tree built with Clang, and its tests.
check-clang: build-clang
	@ctest --preset clang

# The Windows layer, cross-built with MinGW-w64 and tested under Wine.
check-windows:
	@scripts/check-windows

# The Windows program, cross-built against Qt built once from Debian's source: build-windows/zantrel/.
windows:
	@scripts/windows

# Its installer, build/zantrel-<version>-setup.exe, signed when the maker's certificate is given
# (ZANTREL_CERTIFICAT, ZANTREL_MOT_DE_PASSE: see the README).
windows-installer:
	@scripts/windows --installer

# The MSI for managed PCs, build/zantrel-<version>.msi, from the same folder, signed alike.
windows-msi:
	@scripts/windows --msi

# Every artefact of a release in build/release/, with their SHA256SUMS.
release:
	@scripts/release

# Two clones built at different times, in different folders, under different umasks, give the same
# package, program and installer.
check-reproducible:
	@scripts/check-reproducible

# The Windows program installed, updating the simulated device and uninstalled, under Wine.
check-windows-gui:
	@scripts/check-windows-gui

# The Debian package build/zantrel_<version>-<revision>_<architecture>.deb; dpkg-shlibdeps finds
# its library dependencies.
package: build
	@scripts/bootstrap dpkg-dev file
	@umask 022 && cmake --build --preset default --target package

# A second firmware image, unlike the shipped one, in a scratch copy of the tree: built, tested, and
# written to the simulated device.
check-second-image:
	@scripts/check-second-image

# The package built, checked by Debian's tools, installed, started, and purged without a trace.
check-package:
	@scripts/check-package

# The wizard against the simulated device's USB bridge through Linux's own USB-serial stack, udev and
# brltty, in a virtual machine that boots Debian's kernel on this machine's root.
check-real-usb:
	@scripts/check-real-usb

# The wizard on this PC's real serial ports.
run: build
	@build/wizard/zantrel

bench: build
	@build/bench/zantrel_bench

screenshots: build
	@QT_QPA_PLATFORM=offscreen build/bench/zantrel_screenshots build/screenshots

# The PC's serial-port list and the port the wizard would choose.
ports: build
	@build/ports/zantrel_ports
