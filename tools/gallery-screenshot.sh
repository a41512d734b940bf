#!/usr/bin/env bash
# Takes a screenshot of the gallery's index page in headless Chromium, to look
# at the page as a browser shows it (not part of CI).
#     bash tools/gallery-screenshot.sh [gallery directory] [picture]
# Defaults: gallery/ and /tmp/gallery-index.png. Needs Chromium (Debian:
# apt-get install chromium).
set -euo pipefail
dir="$(cd "${1:-gallery}" && pwd)"
out="${2:-/tmp/gallery-index.png}"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --screenshot="$out" --window-size=1400,3000 "file://$dir/index.html"
echo "screenshot: $out"
