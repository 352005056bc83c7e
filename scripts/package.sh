#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Cuewell's Debian package, build-package/cuewell_<version>_<arch>.deb, and checks it
# with lintian, appstreamcli and desktop-file-validate. Install it with
#   sudo apt-get install ./build-package/cuewell_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# The package installs under /usr, and the GNOME Shell extension serves the program at the
# prefix it was built for.
# Debian's hardening flags, as its own packages are built.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
rm -f build-package/cuewell_*.deb
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCUEWELL_TESTS=OFF -DCUEWELL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/cuewell_*.deb)

appstreamcli validate --no-net packaging/org.cuewell.Cuewell.metainfo.xml
desktop-file-validate build-package/src/app/cuewell.desktop
lintian --fail-on error "$deb"
echo "$deb"
