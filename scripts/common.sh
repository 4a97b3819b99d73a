# Shared by scripts/run and scripts/test: installs the Debian packages that are
# missing, then configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES="cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev libsqlite3-dev libxlsxwriter-dev zlib1g-dev
  libjpeg62-turbo-dev googletest libgtest-dev fonts-noto-cjk qt6-translations-l10n poppler-utils"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
