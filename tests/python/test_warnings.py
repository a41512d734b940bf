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
    out = run("k.winapp('WIND'); k.kalini(); k.winmod('x'); k.kalfin()")
    assert "in winmod!" in (run.path / "kalvor.err").read_text()
    assert out.startswith("           END OF KALVOR / VERSION  9.1  \n \n Date          : 14.11.2023")
    assert "\n Metafile     : kalvor.met" in out
    assert "\n Error file    : kalvor.err" in out


@pytest.mark.parametrize(
    "call, line",
    [
        ("k.sclfac(-2.5)", "  2: Incorrect parameter in sclfac!   (  -2)"),
        ("k.window(-5, 0, 0, 10)", "  2: Incorrect parameter in window!   (  -5)"),
        ("k.winsiz(10, -3)", "  2: Incorrect parameter in winsiz!   (  -3)"),
        ("k.hwpage(0, 5)", "  2: Incorrect parameter in hwpage!   (   0)"),
        ("k.page(3000, 1000001)", "  2: Incorrect parameter in page!   (1000001)"),
        ("k.pdfmod('ON', 'FAST')", "  2: Incorrect parameter in pdfmod!   (FAST)"),
        ("k.pngmod('MAYBE', 'TRAN')", "  2: Incorrect parameter in pngmod!   (MAYBE)"),
        ("k.units('mm')", "  2: Incorrect parameter in units!   (mm)"),
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
