"""The measurements of bench/watch: latency of a watcher against a plain run, and a soak."""
import ctypes
import os
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image

IN_MOVED_TO = 0x00000080
libc = ctypes.CDLL(None, use_errno=True)


class Arrivals:
    """Names moved into one folder, as inotify reports them (our outputs are renamed in)."""

    def __init__(self, folder):
        self.fd = libc.inotify_init1(os.O_NONBLOCK)
        libc.inotify_add_watch(self.fd, folder.encode(), IN_MOVED_TO)
        self.pending = {}

    def wait(self, name, limit=10.0):
        """The monotonic time at which name arrived (read as soon as it did)."""
        end = time.perf_counter() + limit
        while name not in self.pending:
            if not select.select([self.fd], [], [], max(0.0, end - time.perf_counter()))[0]:
                raise TimeoutError(name)
            now = time.perf_counter()
            data = os.read(self.fd, 65536)
            offset = 0
            while offset < len(data):
                _, _, _, length = struct.unpack_from("iIII", data, offset)
                arrived = data[offset + 16:offset + 16 + length].rstrip(b"\0").decode()
                self.pending[arrived] = now
                offset += 16 + length
        return self.pending.pop(name)


def picture(path, seed):
    image = Image.effect_noise((32, 32), 30 + seed % 50).convert("RGB")
    image.save(path)


def start_watcher(millconv, inbox, outbox, environment):
    arguments = [millconv, "--watch", "--jobs=2", inbox, "-o", outbox]
    watcher = subprocess.Popen(arguments, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               env=environment, text=True)
    for line in watcher.stdout:
        if line.startswith("Watching for new files"):
            break
    # Keep the pipe drained so that "Converted:" lines never hold the watcher up.
    threading.Thread(target=lambda: [None for _ in watcher.stdout], daemon=True).start()
    return watcher


def peak_kilobytes(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1


def main():
    millconv, soak = sys.argv[1], int(sys.argv[2])
    work = tempfile.mkdtemp(prefix="millconv-watch-bench.")
    try:
        environment = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work + "/.config",
                           XDG_RUNTIME_DIR=work)
        stage, inbox, outbox, single = (os.path.join(work, n) for n in ("stage", "in", "out", "one"))
        for folder in (stage, inbox, outbox, single):
            os.mkdir(folder)
        for i in range(200):
            picture(f"{stage}/drop{i:03d}.png", i)
        payloads = [open(f"{stage}/drop{i:03d}.png", "rb").read() for i in range(200)]

        # A plain run of one such file, process start included.
        plain = []
        for i in range(31):
            begin = time.perf_counter()
            subprocess.run([millconv, "-q", "-i", f"{stage}/drop{i:03d}.png", "-o", single],
                           env=environment, check=True)
            plain.append(time.perf_counter() - begin)

        watcher = start_watcher(millconv, inbox, outbox, environment)
        arrivals = Arrivals(outbox)
        latencies = []
        for i, payload in enumerate(payloads):
            with open(f"{inbox}/drop{i:03d}.png", "wb") as drop:
                drop.write(payload)
            closed = time.perf_counter()
            latencies.append(arrivals.wait(f"drop{i:03d}.tga") - closed)
            time.sleep(0.005)  # one by one: the watcher is idle again when the next arrives
        watcher.terminate()
        watcher.wait()

        watch_median = statistics.median(latencies)
        plain_median = statistics.median(plain)
        print(f"plain -i run (median of {len(plain)}):       {plain_median * 1000:8.2f} ms")
        print(f"watch: close to TGA in place (median of 200): {watch_median * 1000:8.2f} ms"
              f"  (p90 {statistics.quantiles(latencies, n=10)[8] * 1000:.2f} ms)")
        ratio = watch_median / plain_median
        print(f"ratio watch / plain: {ratio:.3f}  (target <= 0.5) {'ok' if ratio <= 0.5 else 'MISSED'}")

        # Soak: files arrive in bursts of 100, moved in as finished pictures.
        shutil.rmtree(outbox)
        shutil.rmtree(inbox)
        os.mkdir(inbox)
        os.mkdir(outbox)
        watcher = start_watcher(millconv, inbox, outbox, environment)
        arrivals = Arrivals(outbox)
        warm = 0
        for burst in range(soak // 100):
            names = []
            for i in range(100):
                name = f"soak{burst:04d}-{i:02d}"
                with open(f"{stage}/{name}.png", "wb") as drop:
                    drop.write(payloads[i])
                os.rename(f"{stage}/{name}.png", f"{inbox}/{name}.png")
                names.append(name)
            for name in names:
                arrivals.wait(f"{name}.tga")
                os.unlink(f"{inbox}/{name}.png")
                os.unlink(f"{outbox}/{name}.tga")
            if burst == 4:
                warm = peak_kilobytes(watcher.pid)
        peak = peak_kilobytes(watcher.pid)
        watcher.terminate()
        watcher.wait()
        growth = (peak - warm) * 100.0 / warm
        print(f"soak: {soak} files, peak {warm} kB after 500, {peak} kB at the end: "
              f"growth {growth:.1f} %  (target < 10 %) {'ok' if growth < 10 else 'MISSED'}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
