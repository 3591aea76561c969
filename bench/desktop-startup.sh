#!/usr/bin/env bash
# Start-up of the desktop: the smoke program (window system on the GTK
# desktop, WebKitGTK engine) against bare-webkit-startup, the least a
# WebKitGTK program does, on a private Xvfb, in alternating runs. For each
# run, from the moment the process is spawned (CLOCK_MONOTONIC, as both
# programs print it): the first painted frame of the window, and the page's
# load finishing. Prints every run, the medians and the ratios.
#
# The X server keeps its root window's properties between clients
# (-noreset), as a desktop session does. GTK caches the visuals it picked by
# probing OpenGL there (GDK_VISUALS), so only the first, unmeasured start
# pays for loading the GL driver, as only the first GTK program of a
# session does.
#
#   bench/desktop-startup.sh [BUILD_DIR] [RUNS]
#
# Goals: first frame within 150 ms; page ready within 1.1 x the bare program.
# Build first: cmake --build BUILD_DIR --target desktop-smoke bare_webkit_startup
set -euo pipefail

build=${1:-build}
runs=${2:-9}
smoke=$build/bin/desktop-smoke
bare=$build/bin/bare-webkit-startup
for program in "$smoke" "$bare"; do
    [[ -x $program ]] || { echo "missing $program (build it first)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/lumora-startup-XXXXXX)
xvfb_pid=
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
unset WAYLAND_DISPLAY

python3 - "$smoke" "$bare" "$runs" "$work" <<'PY'
import http.server, os, statistics, subprocess, sys, threading, time

smoke, bare, runs, work = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
PAGE = (b"<!DOCTYPE html><html><head><meta charset='utf-8'><title>Lumora</title></head>"
        b"<body style='margin:0;background:#2060c0;font-family:sans-serif'><h1>Lumora AI</h1></body></html>")

class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Cache-Control", "no-store")
        self.send_header("Content-Length", str(len(PAGE)))
        self.end_headers()
        self.wfile.write(PAGE)
    def log_message(self, *args):
        pass

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Page)
threading.Thread(target=server.serve_forever, daemon=True).start()
url = "http://127.0.0.1:%d/" % server.server_port

def t_us(line):
    for field in line.split():
        if field.startswith("t_us="):
            return int(field[5:])
    return None

def run(name, index):
    profile = os.path.join(work, "%s-%d" % (name, index))
    if name == "smoke":
        argv, frame_key, ready_key = [smoke, "--trace-frames", "--at", "0,0", "--user-data", profile, url], \
            "first-frame", "navigation-completed"
    else:
        argv, frame_key, ready_key = [bare, profile, url], "first-frame", "load-finished"
    start = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000
    process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    watchdog = threading.Timer(60, process.kill)
    watchdog.start()
    frame = ready = None
    for line in process.stdout:
        if line.startswith(frame_key) and frame is None:
            frame = t_us(line)
        elif line.startswith(ready_key) and ready is None:
            ready = t_us(line)
        if frame is not None and ready is not None:
            break
    watchdog.cancel()
    process.kill()
    process.wait()
    if frame is None or ready is None:
        sys.exit("%s: no %s" % (name, frame_key if frame is None else ready_key))
    return (frame - start) / 1000.0, (ready - start) / 1000.0

# One unmeasured run each: the first start pays for cold caches.
run("smoke", 0)
run("bare", 0)
results = {"smoke": [], "bare": []}
for i in range(1, runs + 1):
    for name in (("smoke", "bare") if i % 2 else ("bare", "smoke")):
        frame, ready = run(name, i)
        results[name].append((frame, ready))
        print("run %2d %-5s first frame %7.1f ms   page ready %7.1f ms" % (i, name, frame, ready))

med = {n: (statistics.median(f for f, _ in r), statistics.median(p for _, p in r)) for n, r in results.items()}
print()
print("median of %d runs      first frame   page ready" % runs)
for n in ("smoke", "bare"):
    print("  %-5s             %9.1f ms %9.1f ms" % (n, med[n][0], med[n][1]))
frame_ratio = med["smoke"][0] / med["bare"][0]
ready_ratio = med["smoke"][1] / med["bare"][1]
print("  smoke / bare        %9.2f x  %9.2f x" % (frame_ratio, ready_ratio))
print()
print("first frame under 150 ms:        %s (%.1f ms)" % ("met" if med["smoke"][0] < 150 else "MISSED", med["smoke"][0]))
print("page ready within 1.1 x bare:    %s (%.2f x)" % ("met" if ready_ratio <= 1.1 else "MISSED", ready_ratio))
PY
