#!/bin/sh
# A benchmark, not a test: Lighthouse 12's scores for the page, served from
# this machine, on its mobile preset, three runs, in Debian's Chromium.
# Lighthouse is installed for the run alone (later 12.x want a newer Node.js).
# Usage: benchmarks/lighthouse.sh PAGE
set -eu
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
cp "$1" "$work/bmi.html"
npm install --prefix "$work/lighthouse" --no-audit --no-fund --silent lighthouse@12.2.3
(cd "$work" && exec python3 -m http.server 8765 --bind 127.0.0.1 >/dev/null 2>&1) &
server=$!
sleep 1
kill -0 "$server" # port 8765 was free
for run in 1 2 3; do
    CHROME_PATH=$(command -v chromium) "$work/lighthouse/node_modules/.bin/lighthouse" --quiet \
        --chrome-flags="--headless=new --no-sandbox" --output=json --output-path="$work/report.json" \
        http://127.0.0.1:8765/bmi.html
    printf 'run %s: ' "$run"
    node -e 'const { categories } = require(process.argv[1]);
        console.log(Object.values(categories).map((c) => c.title + " " + Math.round(c.score * 100)).join(", "))' \
        "$work/report.json"
done
