"""Threaded mode: one context record per thread."""


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

        a = threading.Thread(target=plot, args=('a.met', 'DA4L', 'VEKM', 50))
        b = threading.Thread(target=plot, args=('b.ps', 'DA4P', 'PS', 50))
        a.start(); b.start(); a.join(); b.join()

        def third():
            try:
                k.getlev()
                results['third'] = 'no error'
            except RuntimeError as e:
                results['third'] = str(e)
        c = threading.Thread(target=third); c.start(); c.join()
        print(results['a.met', 'page'], results['b.ps', 'page'], results['third'])
    """)
    assert out == ">>>> Too many threads!\n(2970, 2100) (2100, 2970) Too many threads!\n"
    names = {p.name for p in run.path.iterdir()}
    assert {"a.met", "a_49.met", "b.ps", "b_49.ps"} <= names
    met = (run.path / "a_10.met").read_bytes()
    assert met.startswith(b"      29.7      21.0\n") and met.endswith(b" 9.0000000\n")


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


def test_thread_table_messages(run):
    out = run("""
        k.thrfin(); k.thrini(0); k.thrini(2); k.thrini(2); k.thrfin()
    """)
    assert out == (
        ">>>> thrini is not called before!\n"
        ">>>> Invalid parameter in thrini!\n"
        ">>>> thrini is already called before!\n"
    )


def test_delglb_between_kalini_and_kalfin_does_nothing(run):
    out = run("k.kalini(); k.delglb(); print(k.getlev()); k.errmod('PROT','OFF'); k.kalfin(); k.delglb(); print(k.getlev())")
    assert out == "1\n0\n"
