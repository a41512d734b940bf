"""Warnings: exact text, where they go, and when they are counted."""
import pytest


def test_three_formats_and_keyword_echo(run):
    out = run("""
        k.metafl('')
        k.setpag('A4')
        k.page(0, 10)
        k.kalfin()
        k.metafl('\u00c4rger')
    """)
    assert out == (
        " <<<< Warning   2: Incorrect parameter in metafl!   ()\n"
        " <<<< Warning   2: Incorrect parameter in setpag!   (A4)\n"
        " <<<< Warning   2: Incorrect parameter in page!   (   0)\n"
        " <<<< Warning   3: Incorrect level in kalfin!   (   0)\n"
        " <<<< Warning   2: Incorrect parameter in metafl!   (\xc4rger)\n"   # Latin-1 as given
    )


def test_unit_zero_hides_warnings_but_counts_them(run):
    out = run("""
        k.kalini()
        k.unit(0)
        k.pagorg('nowhere'); k.winkey('nokey')
        k.unit(6)
        k.kalfin()
    """)
    assert " <<<< Warning" not in out
    assert "Warnings: 2 " in out


def test_level_zero_warnings(run):
    # A failed level check at level 0 shows warnings again; a setter warns and still stores.
    out = run("""
        k.kalini(); k.unit(0); k.errmod('PROT', 'OFF'); k.kalfin()
        k.kalfin()
        k.errmod('PROT', 'OFF')
        k.unit(0)
    """)
    assert out == (
        " <<<< Warning   3: Incorrect level in kalfin!   (   0)\n"
        " <<<< Warning   3: Incorrect level in errmod!   (   0)\n"
        " <<<< Warning   3: Incorrect level in unit!   (   0)\n"
    )


def test_warnings_off_until_next_kalini(run):
    out = run("""
        k.kalini(); k.errmod('WARN', 'OFF'); k.pagorg('x'); k.errmod('PROT', 'OFF'); k.kalfin()
        k.kalini(); k.pagorg('y'); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out == " <<<< Warning   2: Incorrect parameter in pagorg!   (y)\n"


def test_error_files_only_when_needed_and_by_name(run):
    out = run("""
        k.errdev('FILE'); k.kalini(); k.errmod('PROT','OFF'); k.kalfin()
        k.kalini(); k.pagorg('x'); k.kalfin(); k.kalini(); k.pagorg('z'); k.kalfin()
        k.errfil('mine.log'); k.kalini(); k.winmod('x'); k.errmod('PROT','OFF'); k.kalfin()
    """)
    warning = " <<<< Warning   2: Incorrect parameter in pagorg!   ({})\n"
    assert (run.path / "kalvor.err").read_text() == warning.format("x")   # the first cycle made none
    assert (run.path / "kalvor_1.err").read_text() == warning.format("z")
    assert "Metafile: kalvor_1.met " in out and "Err-file: kalvor.err " in out and "Err-file: kalvor_1.err " in out
    assert "in winmod!" in (run.path / "mine.log").read_text()


def test_windowed_program_uses_error_file_and_window_protocol(run):
    # no display: with one the protocol would be a message box
    out = run("k.winapp('WIND'); k.kalini(); k.winmod('x'); k.kalfin()", env={"DISPLAY": "", "WAYLAND_DISPLAY": ""})
    assert "in winmod!" in (run.path / "kalvor.err").read_text()
    assert out.startswith("           END OF KALVOR / VERSION  9.1  \n \n Date          : 14.11.2023")
    assert "\n Metafile     : kalvor.met" in out
    assert "\n Error file    : kalvor.err" in out


@pytest.mark.parametrize(
    "call, line",
    [
        ("k.sclfac(-2.5)", "  2: Incorrect parameter in sclfac!   (  -2)"),
        ("k.window(-5, 0, 0, 10)", "  2: Incorrect parameter in window!   (  -5)"),
        ("k.page(3000, 1000001)", "  2: Incorrect parameter in page!   (1000001)"),
        ("k.symfil('NONE', 'KEEP')", " 20: No metafile in symfil!"),
        ("k.metafl('PS'); k.symfil('NONE', 'KEEP')", " 21: The routine must be called after kalfin in symfil!"),
        ("k.kalini(); k.kalfin(); k.symfil('NONE', 'FOO')", "  2: Incorrect parameter in symfil!   (FOO)"),
        ("k.trfco1([1.0], 1, 'DEGR', 'degrees')", "101: No conversion necessary in trfco1!"),
        ("k.sortr1([2.0, 1.0], 2, 'X')", "  2: Incorrect parameter in sortr1!   (X)"),
    ],
)
def test_bad_values(run, call, line):
    assert f" <<<< Warning {line}\n" in run(call)


def test_symfil_delete(run):
    out = run("""
        k.kalini(); k.errmod('PROT','OFF'); k.kalfin()
        k.symfil('NONE', 'DELE')
        k.symfil('NONE', 'DELE')
    """)
    assert not (run.path / "kalvor.met").exists()
    assert out == " <<<< Warning  22: The metafile is deleted before in symfil!\n"


# Bad arguments after kalini: one call a row and the warning it gives ('' for
# none). The rows run in order in one program on a 20 x 10 raster, so a row may
# rely on what the rows before it left (the image open after imgini); the
# asserts in a row check that the refused value changed nothing.
AFTER_KALINI = [
    # line state and drawing
    ("k.linwid(0)", "  2: Incorrect parameter in linwid!   (   0)"),
    ("k.linwid(32001)", "  2: Incorrect parameter in linwid!   (32001)"),
    ("k.setclr(-1)", "  2: Incorrect parameter in setclr!   (  -1)"),
    ("k.myline([5, 0], 2)", "  2: Incorrect parameter in myline!   (   0)"),
    # colours and patterns
    ("k.clrmod('CONT')", "  3: Incorrect level in clrmod!   (   1)"),
    ("k.setind(3, 0, 1.5, 0)", "  2: Incorrect parameter in setind!   (   1)"),
    ("k.setvlt('HOT'); assert k.getvlt() == 'RAIN'", "  2: Incorrect parameter in setvlt!   (HOT)"),
    ("k.shdpat(-2); assert k.getpat() == 0", "  2: Incorrect parameter in shdpat!   (  -2)"),
    ("assert k.indrgb(1.2, 0, 0) == -1", "  2: Incorrect parameter in indrgb!   (   1)"),
    ("assert [round(c * 255) for c in k.getind(3)] == [43, 0, 85]", ""),   # RAIN 3, not set above
    ("k.colray([1.0], [0], 1)", "  3: Incorrect level in colray!   (   1)"),
    ("k.vltfil('missing.vlt', 'LOAD')", " 36: File error in vltfil!"),
    # text settings
    ("k.height(0); assert k.gethgt() == 36", "  2: Incorrect parameter in height!   (   0)"),
    ("k.chawth(2.5)", "  2: Incorrect parameter in chawth!   (2.500000)"),
    ("k.basalf('GREE'); k.smxalf('GREE', '{', '}', 1)", " 19: The basealphabet cannot be used in smxalf!"),
    ("k.eushft('GERM', '!'); k.eushft('DANI', '!'); assert k.getshf('DANI') == ''",
     " 57: Control characters must be different in eushft!"),
    ("k.messag('!x', 10, 100)", " 18: Incorrect character after the eushft operator in messag!   (!x)"),
    ("k.psfont('Helvetica')", " 49: Fileformat is not PostScript in psfont!"),
    # shield regions
    ("k.shlcir(0, 0, 10001)", "  2: Incorrect parameter in shlcir!   (10001)"),
    ("k.shlpol([1, 1, 2, 1], [1, 1, 2, 1], 4)", " 30: Incorrect number of points in shlpol!   (   2)"),
    ("k.shlpol([1, 2], [1, 2], 2)", "  2: Incorrect parameter in shlpol!   (   2)"),
    ("k.shield('TEXT', 'ON')", "  2: Incorrect parameter in shield!   (TEXT)"),
    # the image raster
    ("k.wpixel(1, 1, 5)", " 55: No call to imgini in wpixel!"),
    ("k.imgini(); k.imgini()", " 54: No call to imgfin in imgini!"),
    ("assert k.rpixel(20, 0) == -1", " 58: Array is out of screen in rpixel!"),
    ("k.wpixel(-1, 0, 5); k.wpixel(25, 3, 5)", ""),   # cut silently
    ("k.imgclp(10, 0, 11, 5)", "  2: Incorrect parameter in imgclp!   (  11)"),
    ("k.gifmod('ON', 'TRAN')", "  3: Incorrect level in gifmod!   (   1)"),
    ("k.rbmp('nodir/x.bmp')", " 36: File error in rbmp!"),
    ("k.errmod('PROT', 'OFF'); k.kalfin(); k.metafl('HPGL'); k.kalini(); k.imgini()",
     " 40: File format and output device are incompatible in imgini!"),
    ("k.rpng('x.png')", " 40: File format and output device are incompatible in rpng!"),
]


def test_bad_arguments_after_kalini(run):
    calls = [call for call, _ in AFTER_KALINI]
    out = run("k.metafl('VIRT'); k.winsiz(20, 10); k.kalini()\n" + "".join(f"{c}\nprint('.')\n" for c in calls)
              + "k.errmod('PROT', 'OFF'); k.kalfin()\n")
    want = [f" <<<< Warning {w}\n" if w else "" for _, w in AFTER_KALINI]
    assert list(zip(calls, out.split(".\n"))) == list(zip(calls, want))
