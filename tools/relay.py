#!/usr/bin/env python3
# Runs an engine and logs every line between it and its interface: relay.py LOGFILE ENGINE [ARGS...]
# (a "%p" in LOGFILE becomes the relay's process id, one log per engine process).
import os
import signal
import subprocess
import sys
import threading
import time

log_path, command = sys.argv[1].replace("%p", str(os.getpid())), sys.argv[2:]
log = open(log_path, "a", buffering=1)
lock = threading.Lock()
start = time.monotonic()


def note(prefix, text):
    with lock:
        log.write(f"{time.monotonic() - start:9.3f} {prefix} {text}\n")


engine = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
note("--", "started " + " ".join(command) + f" (pid {engine.pid})")


def forward_signal(number, _frame):
    # Interfaces signal the engine (xboard sends SIGINT each turn); pass it on, and log it.
    note("--", signal.Signals(number).name)
    if engine.poll() is None:
        engine.send_signal(number)


for sig in (signal.SIGINT, signal.SIGTERM):
    signal.signal(sig, forward_signal)


def interface_to_engine():
    try:
        for raw in iter(sys.stdin.buffer.readline, b""):
            note("G>", raw.decode(errors="replace").rstrip("\r\n"))
            engine.stdin.write(raw)
            engine.stdin.flush()
        note("--", "interface closed the pipe")
        engine.stdin.close()
    except (BrokenPipeError, ValueError):
        note("--", "engine closed its input")


threading.Thread(target=interface_to_engine, daemon=True).start()
for raw in iter(engine.stdout.readline, b""):
    note("<E", raw.decode(errors="replace").rstrip("\r\n"))
    try:
        sys.stdout.buffer.write(raw)
        sys.stdout.buffer.flush()
    except BrokenPipeError:
        note("--", "interface closed its input")
code = engine.wait()
note("--", f"engine exited with {code}")
# The interface may still hold our input open; leave without waiting for it.
os._exit(code if code >= 0 else 128 - code)
