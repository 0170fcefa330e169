#!/usr/bin/env bash
# Takes the README's screenshot: the client under Xvfb, logged in to the
# practice server, after a few commands. Needs xvfb, xauth, xdotool, imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh" xvfb xauth xdotool imagemagick
bash "$root/tools/build.sh" "$root/build"
work=$(mktemp -d)
cp "$root/build/Varendor" "$root/build/varendor-practice-server" "$work/"
printf '[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=4712\r\n' > "$work/config.ini"
out=${1:-$root/docs/screenshot.png}
mkdir -p "$(dirname "$out")"
cat > "$work/drive.sh" <<DRIVE
set -e
cd "$work"
./varendor-practice-server --port 4712 >/dev/null 2>&1 & sp=\$!
./Varendor >/dev/null 2>&1 & cp=\$!
sleep 2; xdotool mousemove 450 292 click 1      # "Chiudi" on the start-up screen
sleep 1.5; xdotool mousemove 220 33 click 1     # "Connetti"
sleep 1
for line in Aldric segreto guarda "di salve a tutti" nord; do
    xdotool type --delay 20 "\$line"; xdotool key Return; sleep 0.6
done
xdotool mousemove 230 75; sleep 0.5
import -window root "$out"
kill \$cp \$sp
DRIVE
xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/drive.sh"
rm -rf "$work"
echo "Saved $out"
