#!/bin/bash
# Peak memory of the client as a player runs it: the built Varendor, started
# on a fresh folder with --mondo-di-prova (and TRIGGERS triggers in its
# trigger.txt), takes a 20 MB coloured session from a loopback server on the
# practice world's port (4000), under Xvfb. The start-up screen is closed
# with a key, as a player would. Prints, per run, the client's peak resident
# memory (VmHWM) and its parts at the end, in MB of 1,048,576 bytes as
# bench_client does.
#
#   bench/client_peak.sh [BINARY] [RUNS] [TRIGGERS]   (build/Varendor, 3, 0)
#
# Needs xvfb-run, xdotool and python3 (tools/setup-deps.sh installs them).
set -euo pipefail
binary=$(realpath "${1:-build/Varendor}")
runs=${2:-3}
triggers=${3:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/flood.py" <<'PY'
import random, socket, sys, time
random.seed(1)
words = "il la spada drago caverna nord sud est ovest oro pozione guardia città più".split()
lines, size = [], 0
while size < 1 << 20:
    line = "\x1b[1;%dm%s\x1b[0m %s\r\n" % (random.randint(31, 37), random.choice(words),
        " ".join(random.choice(words) for _ in range(random.randint(3, 14))))
    lines.append(line.encode("cp1252"))
    size += len(lines[-1])
block = b"".join(lines)
server = socket.socket(socket.AF_INET6)
server.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_V6ONLY, 0)
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("::", 4000))
server.listen(1)
print("listening", flush=True)
client, _ = server.accept()
for _ in range(20):
    client.sendall(block)
client.sendall(b"\r\nFINE DEL DILUVIO\r\n")
time.sleep(2)  # the client reads what is still buffered
PY

cat > "$work/run.sh" <<'SH'
#!/bin/bash
set -u
work=$1 binary=$2
rm -rf "$work/folder"
mkdir "$work/folder"
cp "$work/trigger.txt" "$work/folder/"
python3 "$work/flood.py" > "$work/server.out" &
server=$!
until grep -q listening "$work/server.out" 2>/dev/null; do sleep 0.1; done
"$binary" --cartella "$work/folder" --mondo-di-prova 2>/dev/null &
client=$!
sleep 2
xdotool key Escape # closes the start-up screen
wait $server
awk '/^(VmHWM|RssAnon|RssFile|RssShmem):/ { printf "%s %.1f MB  ", $1, $2 / 1024 }' \
    /proc/$client/status
echo
kill $client
wait $client 2>/dev/null
exit 0
SH

# Two words of the session's and a third: some fire, most never do.
python3 - "$triggers" > "$work/trigger.txt" <<'PY'
import random, sys
random.seed(7)
words = "il la spada drago caverna nord sud est ovest oro pozione guardia città più".split()
for i in range(int(sys.argv[1])):
    text = " ".join([random.choice(words), random.choice(words), "x%d" % i])
    sys.stdout.buffer.write(("%s<!>say %d<%%>\r\n" % (text, i)).encode("cp1252"))
PY

for ((i = 1; i <= runs; ++i)); do
    xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb \
        bash "$work/run.sh" "$work" "$binary" 2>/dev/null
done
