"""Threaded mode: one context record per thread."""
import os
import subprocess
import sys

import pytest


def test_two_threads_plot_independently_and_a_third_is_refused(run):
    out = run("""
        import threading
        k.thrini(2)
        barrier = threading.Barrier(2)
        results = {}

        def plot(name, page_format, device, cycles):
            k.setfil(name); k.setpag(page_format); k.metafl(device)
            barrier.wait()
            for _ in range(cycles):
                k.kalini()
                results[name, 'page'] = k.getpag()
                k.errmod('PROT', 'OFF')
                k.kalfin()
            finished.wait()   # keep the slot: a thread that ends frees it
            release.wait()

        finished = threading.Barrier(3)
        release = threading.Event()
        a = threading.Thread(target=plot, args=('a.met', 'DA4L', 'VEKM', 50))
        b = threading.Thread(target=plot, args=('b.ps', 'DA4P', 'PS', 50))
        a.start(); b.start(); finished.wait()

        def third():
            try:
                k.getlev()
                results['third'] = 'no error'
            except RuntimeError as e:
                results['third'] = str(e)
        c = threading.Thread(target=third); c.start(); c.join()
        release.set(); a.join(); b.join()
        print(results['a.met', 'page'], results['b.ps', 'page'], results['third'])
    """)
    assert out == ">>>> Too many threads!\n(2970, 2100) (2100, 2970) Too many threads!\n"
    names = {p.name for p in run.path.iterdir()}
    assert {"a.met", "a_49.met", "b.ps", "b_49.ps"} <= names
    met = (run.path / "a_10.met").read_bytes()
    assert met.startswith(b"      29.7      21.0\n") and met.endswith(b" 9.0000000\n")


def test_a_blocking_file_stops_only_its_own_thread(run):
    # One thread waits in openfl for a FIFO's writer, one in kalini for a
    # FIFO's reader; incfil refuses a FIFO and /dev/zero at once. Meanwhile
    # a fourth thread plots a whole file and the main thread's watchdog
    # runs. A frozen interpreter ends the child at the alarm.
    os.mkfifo(run.path / "in.fifo")
    os.mkfifo(run.path / "out.fifo")
    out = run("""
        import signal, threading, time
        signal.alarm(60)
        k.thrini(3)
        got = {}
        def reader():
            got['openfl'] = k.openfl('in.fifo', 1, 0)
            got['readfl'] = k.readfl(1, 10)
            k.closfl(1)
        def writer():
            k.setfil('out.fifo'); k.kalini(); k.errmod('PROT', 'OFF'); k.kalfin()
        def plotter():
            k.metafl('PS'); k.setfil('plot.ps'); k.kalini(); k.errmod('PROT', 'OFF')
            k.incfil('in.fifo'); k.incfil('/dev/zero')
            k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.curve([0, 1], [0, 1], 2); k.kalfin()
        waiting = [threading.Thread(target=f) for f in (reader, writer)]
        [t.start() for t in waiting]
        time.sleep(0.3)   # both reach their open
        p = threading.Thread(target=plotter); p.start()
        while p.is_alive():   # the watchdog: Python runs on (a freeze meets the alarm)
            time.sleep(0.005)
        print([t.is_alive() for t in waiting])
        with open('in.fifo', 'wb') as f:
            f.write(b'bytes')
        with open('out.fifo', 'rb') as f:
            data = f.read()
        [t.join() for t in waiting]
        print(got['openfl'], got['readfl'], data.endswith(b' 9.0000000\\n'))
    """)
    results = [line for line in out.splitlines() if not line.startswith(" <<<<")]
    assert results == ["[True, True]", "0 (b'bytes', 5) True"]
    assert out.count("Warning  36") == 2
    assert (run.path / "plot.ps").read_bytes().rstrip().endswith(b"showpage")


def test_legends_of_two_threads_stay_apart(run):
    out = run("""
        import threading
        k.thrini(2)
        step = threading.Barrier(2)
        widths = {}
        def plot(name, text):
            k.metafl('PS'); k.setfil(name + '.ps'); k.kalini(); k.errmod('PROT', 'OFF')
            k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.curve([0, 1], [0, 1], 2)
            k.legini('', 1, 40); step.wait()
            k.leglin('', text, 1); step.wait()
            widths[name] = k.nxlegn(''); k.legend('', 3); k.kalfin()
        threads = [threading.Thread(target=plot, args=a) for a in (('a', 'A'), ('b', 'a much longer text'))]
        [t.start() for t in threads]; [t.join() for t in threads]
        k.thrfin()
        k.metafl('PS'); k.setfil('c.ps'); k.kalini(); k.errmod('PROT', 'OFF')
        k.graf(0, 1, 0, 1, 0, 1, 0, 1); k.curve([0, 1], [0, 1], 2)
        alone = []
        for text in ('A', 'a much longer text'):
            k.legini('', 1, 40); k.leglin('', text, 1); alone.append(k.nxlegn(''))
        k.kalfin()
        print(widths['a'] == alone[0], widths['b'] == alone[1], alone[0] < alone[1])
    """)
    assert out == "True True True\n"


def test_record_made_before_thrini_returns_after_thrfin(run):
    out = run("""
        import threading
        k.metafl('PS')
        k.thrini(1)
        def worker():
            k.metafl('PDF'); k.kalini(); print(k.getmfl()); k.errmod('PROT','OFF'); k.kalfin(); k.delglb()
        for _ in range(3):            # delglb frees the slot for the next thread
            t = threading.Thread(target=worker); t.start(); t.join()
        k.thrfin()
        k.kalini(); print(k.getmfl()); k.errmod('PROT','OFF'); k.kalfin()
    """)
    assert out == ">>>> A KALVOR routine is called before thrini!\nPDF\nPDF\nPDF\nPS\n"


def test_thread_table_messages_and_delglb_inside_a_plot(run):
    # delglb between kalini and kalfin does nothing.
    out = run("""
        k.thrfin(); k.thrini(0); k.thrini(2); k.thrini(2); k.thrfin()
        k.kalini(); k.delglb(); print(k.getlev()); k.errmod('PROT','OFF'); k.kalfin(); k.delglb(); print(k.getlev())
    """)
    assert out == (
        ">>>> thrini is not called before!\n"
        ">>>> Invalid parameter in thrini!\n"
        ">>>> thrini is already called before!\n"
        "1\n0\n"
    )


# The entry points take the call lock once the generated binding wraps every
# routine in it; until then the wrappers call the bodies directly.
def test_threads_without_thrini_share_the_record_safely(run):
    # Without thrini the threads share one record: their plots interleave
    # (a kalini while another thread's plot is open warns), but every call
    # runs whole, so a kalfin never frees what another thread is drawing.
    out = run("""
        import threading
        k.metafl('PNG'); k.filmod('DELE'); k.winsiz(2000, 1400)
        def plot():
            for _ in range(30):
                k.kalini()                  # the PNG is written with the
                for i in range(200):        # interpreter lock released
                    k.line(i, 0, i * 7, 2000)
                k.kalfin()
        threads = [threading.Thread(target=plot) for _ in range(4)]
        for t in threads: t.start()
        for t in threads: t.join()
        if k.getlev(): k.kalfin()
        print('done', k.getlev())
        k.thrini(2)   # ending threads free their slots
        def worker(i):
            k.metafl('PS'); k.setfil(f'w{i}.ps'); k.kalini(); k.line(0, 0, 100, 100)
            if i % 2: k.errmod('PROT', 'OFF'); k.kalfin()   # the others leave it open
        for i in range(10):
            t = threading.Thread(target=worker, args=(i,)); t.start(); t.join()
        k.thrfin()
        print('done')
    """)
    assert out.endswith("done 0\n>>>> A KALVOR routine is called before thrini!\ndone\n")   # the record made before
    assert all((run.path / f"w{i}.ps").read_bytes().rstrip().endswith(b"showpage") for i in range(10))


PLOTS = """
import sys, threading
import kalvor as k

FORMATS = [("PS", "ps"), ("EPS", "eps"), ("PDF", "pdf"), ("SVG", "svg"), ("PNG", "png")]

def plot(t, j):
    device, ext = FORMATS[(t + j) % len(FORMATS)]
    k.metafl(device); k.filmod("DELE"); k.setfil(f"p{t}_{j}.{ext}")
    k.kalini(); k.errmod("PROTOCOL", "OFF")
    k.setrgb(0.2 * t, 0.0, 1.0 - 0.03 * j)
    k.strtpt(100, 100)
    for i in range(2000):
        k.connpt(100 + (i * 37 + t * 11) % 2700, 200 + (i * j) % 1800)
    k.recfll(200 + 40 * j, 300 + 100 * t, 300, 200, 50 + j)
    k.messag(f"thread {t} plot {j}", 400, 1900)
    k.kalfin()

def worker(t):
    for j in range(25):
        plot(t, j)

if sys.argv[-1] == "threads":
    k.thrini(4)
    threads = [threading.Thread(target=worker, args=(t,)) for t in range(4)]
    for th in threads: th.start()
    for th in threads: th.join()
    k.thrfin()
else:
    for t in range(4):
        worker(t)
"""


def test_four_threads_write_the_same_bytes_as_one(tmp_path):
    # 4 threads x 25 plots in all formats at once, then the same plots one
    # after the other: every file byte for byte the same.
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")   # conftest set PYTHONPATH
    for mode in ("threads", "alone"):
        (tmp_path / mode).mkdir()
        subprocess.run([sys.executable, "-c", PLOTS, mode], cwd=tmp_path / mode, env=env, check=True,
                       capture_output=True, timeout=300)
    names = sorted(p.name for p in (tmp_path / "alone").iterdir())
    assert len(names) == 100 and sorted(p.name for p in (tmp_path / "threads").iterdir()) == names
    assert [n for n in names if (tmp_path / "threads" / n).read_bytes() != (tmp_path / "alone" / n).read_bytes()] == []
