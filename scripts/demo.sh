#!/usr/bin/env bash
# The main job on the bundled sample, without a server: installs what is
# missing, builds, makes a local queue of samples/TavroC750.ppd whose device
# is a file, prints samples/hello.ps through tavro-print with a job note, a
# watermark and two-sided printing, and shows where each fragment of the job
# ticket landed in the job the queue's filters produced.
#   bash scripts/demo.sh [-o KEY=VALUE]... [--watermark N]   other choices instead of the demo's
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
bash scripts/configure.sh build >/dev/null
ninja -C build tavro-print tavro-ticket >/dev/null

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/root/queues/TavroC750" "$demo/root/Library/Caches/QZV"
export TAVRO_ROOT=$PWD/$demo/root
# A local queue is a folder: its PPD and its state.
cp samples/TavroC750.ppd "$demo/root/queues/TavroC750/TavroC750.ppd"
cat >"$demo/root/queues/TavroC750/queue.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>device-uri</key><string>file://$PWD/$demo/job.ps</string>
  <key>printer-info</key><string>Tavro C750 (demo)</string>
  <key>printer-state</key><integer>3</integer>
</dict>
</plist>
PLIST

if (($# > 0)); then
  choices=("$@")
else
  choices=(-o "Notes2=Deliver to room 4" --watermark 0 -o Duplex=DuplexNoTumble)
fi

echo "\$ tavro-print -P TavroC750 ${choices[*]} samples/hello.ps"
./build/tools/print/tavro-print -P TavroC750 "${choices[@]}" samples/hello.ps 2>&1 | tee "$demo/print.log"
echo
ticket=$(ls "$demo/root/Library/Caches/QZV/"Tavro.temp* | head -1)
echo "\$ tavro-ticket ${ticket#$PWD/}     # the ticket the panel sent"
./build/tools/tavro-ticket "$ticket" | cut -c1-150
echo
echo "\$ tavro-ticket --in $demo/job.ps TICKET     # where each fragment landed"
./build/tools/tavro-ticket --in "$demo/job.ps" "$ticket" | cut -c1-150
echo
echo "The printed job: $demo/job.ps ($(wc -l <"$demo/job.ps") lines); the filters' log: $demo/root/queues/TavroC750/job.log"
