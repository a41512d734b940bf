"""Output file naming against special files, and symfil's choice of file.

Every scenario runs in a child interpreter with a time limit (conftest), so a
hang or a blocked FIFO fails the test instead of stopping the suite.
"""
import os
import stat

from PIL import Image

QUIET = "k.errmod('PROT', 'OFF')"


def test_special_files_are_opened_as_they_are(run):
    os.mkfifo(run.path / "pipe.met")
    (run.path / "dir.met").mkdir()
    try:
        out = run(f"""
            import threading
            got = []
            def drain():
                with open('pipe.met', 'rb') as f:
                    got.append(f.read())
            reader = threading.Thread(target=drain); reader.start()
            k.filmod('DELE')
            k.setfil('pipe.met'); k.kalini(); {QUIET}; k.kalfin()
            reader.join(20)
            print(got[0].endswith(b' 9.0000000\\n'))
            k.setfil('/dev/null'); k.filmod('COUN'); k.kalini(); print(k.getfil()); {QUIET}; k.kalfin()
            k.setfil('dir.met'); k.filmod('DELE'); k.kalini(); {QUIET}; k.kalfin()
        """)
        assert out.splitlines()[:2] == ["True", "/dev/null"]
        assert "Open error in kalini" in out
        assert stat.S_ISFIFO(os.lstat(run.path / "pipe.met").st_mode)
        assert (run.path / "dir.met").is_dir()
        assert stat.S_ISCHR(os.stat("/dev/null").st_mode)
        assert not os.path.exists("/dev/null_1")
    finally:
        if os.path.isfile("/dev/null_1"):  # left by a faulty build only
            os.remove("/dev/null_1")


def test_dangling_link_is_a_file_not_a_way_through(run):
    os.symlink("target.met", run.path / "link.met")
    run(f"k.setfil('link.met'); k.kalini(); {QUIET}; k.kalfin()")
    assert (run.path / "link_1.met").is_file()
    run(f"k.filmod('DELE'); k.setfil('link.met'); k.kalini(); {QUIET}; k.kalfin()")   # replaces, no new version
    assert not (run.path / "target.met").exists() and not (run.path / "link_2.met").exists()
    assert (run.path / "link.met").is_file() and not (run.path / "link.met").is_symlink()


def test_delete_mode_never_removes_the_open_output(run):
    out = run(f"""
        k.metafl('PNG'); k.filmod('DELE'); k.setfil('out.png')
        k.kalini()
        k.rpng('out.png')              # the open output: saved under a new name
        k.setclr(50); k.line(0, 0, 2969, 2099)
        {QUIET}; k.kalfin()
    """)
    assert out == ""
    saved = Image.open(run.path / "out_1.png").convert("RGB")
    final = Image.open(run.path / "out.png").convert("RGB")
    assert saved.size == final.size and saved.tobytes() != final.tobytes()

    run(f"""
        k.metafl('PNG'); k.filmod('DELE'); k.setfil('out.png'); k.errdev('FILE'); k.errfil('out.png')
        k.kalini(); k.setclr(-5); {QUIET}; k.kalfin()
    """)
    Image.open(run.path / "out.png").verify()
    assert b"Warning   2" in (run.path / "out_2.png").read_bytes()  # the error file


def test_symfil_hands_on_the_file_kalfin_finished(run):
    driver = run.path / "kaldrv"
    driver.write_text('#!/bin/sh\necho "$@" > driver.args\n')
    driver.chmod(0o755)
    (run.path / "later.ps").write_text("not ours")
    env = {"PATH": f"{run.path}:{os.environ['PATH']}"}
    out = run(f"""
        k.metafl('PS'); k.setfil('plot.ps'); k.kalini(); {QUIET}; k.kalfin()
        k.setfil('later.ps')
        k.symfil('POST', 'KEEP')
        k.symfil('NONE', 'DELE')
    """, env=env)
    assert out == ""
    assert (run.path / "driver.args").read_text().split()[:2] == ["plot.ps", "POST"]
    assert not (run.path / "plot.ps").exists()
    assert (run.path / "later.ps").read_text() == "not ours"


def test_symfil_ends_its_wait_when_the_status_is_gone(run):
    driver = run.path / "kaldrv"
    driver.write_text("#!/bin/sh\nexit 0\n")
    driver.chmod(0o755)
    env = {"PATH": f"{run.path}:{os.environ['PATH']}"}
    out = run(f"""
        import signal
        signal.signal(signal.SIGCHLD, signal.SIG_IGN)   # children are reaped at once
        k.metafl('PS'); k.kalini(); {QUIET}; k.kalfin()
        k.symfil('POST', 'KEEP')
        print('returned')
    """, env=env)
    assert out == " <<<< Warning  36: File error in symfil!   (kaldrv)\nreturned\n"


def test_overlong_file_names_are_refused(run):
    long_name = "n" * 300 + ".met"
    out = run(f"""
        k.setfil('{long_name}'); k.errfil('{long_name}')
        k.kalini(); print(k.getfil()); {QUIET}; k.kalfin()
    """)
    warning = " <<<< Warning   2: Incorrect parameter in {}!   (" + "n" * 40 + "...)\n"
    assert out == warning.format("setfil") + warning.format("errfil") + "kalvor.met\n"
