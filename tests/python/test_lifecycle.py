"""The plotting cycle: default output, file naming, file modes, pages, protocol."""
import pytest

RULE = " " + "<" * 66


def protocol(vectors="0", warnings="0", page="DA4L", device="VEKM", lines=("Metafile: kalvor.met",)):
    text = "\n" + RULE
    text += "\n <<                END OF KALVOR / VERSION  9.1                  <<"
    text += f"\n <<  Date    : 14.11.2023  Time    : 22:13:20  Pageformat: {page:>4}  <<"
    text += f"\n <<  Vectors : {vectors:<10}  Warnings: {warnings:<8}  Fileformat: {device:>4}  <<"
    for line in lines:
        text += f"\n <<  {line:<58}  <<"
    return text + "\n" + RULE + "\n\n"


# The page header, the foreground colour 255 that kalini makes current, the end.
DEFAULT_MET = b"      29.7      21.0\n99.000000099.000000086.0000000 9.0000000\n"


def test_cycles_write_vekmet_protocol_and_count_up_the_file_name(run):
    out = run("k.kalini(); k.kalfin(); k.kalini(); k.kalfin()")
    assert (run.path / "kalvor.met").read_bytes() == (run.path / "kalvor_1.met").read_bytes() == DEFAULT_MET
    assert out == protocol() + protocol(lines=("Metafile: kalvor_1.met",))
    run("k.setfil('plot.eps'); k.metafl('EPS')\nfor _ in range(3):\n    k.kalini(); k.kalfin()")
    assert {"plot.eps", "plot_1.eps", "plot_2.eps"} <= {p.name for p in run.path.iterdir()}


# Output files that end the program: an existing file in mode BREA (the next
# kalini in mode COUN goes on), a 10,000th version, a document whose file
# cannot be opened. kalini raises and leaves the level at 0; nothing is
# overwritten.
@pytest.mark.parametrize("files, setup, printed, message", [
    (["kalvor.met"], "k.filmod('BREA')", "File kalvor.met does exist", "File kalvor.met does exist"),
    (["x"] + [f"x_{i}" for i in range(1, 10000)], "k.setfil('x')", "More than 9999 file versions!\n",
     "More than 9999 file versions!"),
    ([], "k.metafl('PDF'); k.setfil('no/such/dir/plot.pdf')", " <<<< Warning  36: File error in kalini!\n",
     "File error in kalini!"),
], ids=["break", "versions", "unopenable"])
def test_files_that_end_the_program_raise_and_leave_level_0(run, files, setup, printed, message):
    for name in files:
        (run.path / name).write_text("old")
    goes_on = files == ["kalvor.met"]
    out = run(f"""
        {setup}
        try:
            k.kalini()
        except RuntimeError as e:
            print('|', e)
        print(k.getlev())
        if {goes_on!r}:
            k.filmod('COUN'); k.kalini(); print(k.getfil()); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out.startswith(f"{printed}| {message}\n0\n")
    assert all((run.path / name).read_text() == "old" for name in files[:2])
    assert not goes_on or out.endswith("\n0\nkalvor_1.met\n")


@pytest.mark.parametrize(
    "setup, size",
    [
        ("k.setpag('da4p')", (2100, 2970)),
        ("k.units('INCH')", (1170, 827)),
        ("k.units('POIN'); k.page(1000, 500)", (1000, 500)),
    ],
)
def test_page_size_in_plot_units(run, setup, size):
    out = run(f"{setup}; k.kalini(); print(k.getpag()); k.errmod('PROT', 'OFF'); k.kalfin()")
    assert out == f"{size}\n"


def test_metafl_keywords_and_setpag(run):
    # Keyword matching itself: Keyword in test_frame.cpp.
    out = run("""
        k.metafl('postscript'); k.kalini(); print(k.getmfl(), k.getfil()); k.errmod('PROT','OFF'); k.kalfin()
        k.metafl('met5'); k.kalini(); print(k.getmfl(), repr(k.getfil())); k.errmod('PROT','OFF'); k.kalfin()
    """, env={"DISPLAY": "", "WAYLAND_DISPLAY": ""})
    assert out.startswith("POST kalvor.psc\nMET5 ''\n")   # then the page as a PNG: no display
    out = run("k.setpag('da4p'); k.kalini(); print(k.getmfl()); k.kalfin()")
    assert out.startswith("VEKM\n") and "Pageformat: DA4P" in out   # setpag chooses the metafile


def test_devices_without_driver_open_their_file(run):
    run("""
        for dev in ['CGM', 'HPGL', 'KYOC', 'TIFF', 'PNG', 'JAVA', 'SVG', 'PDF', 'WMF', 'TEKT', 'LN03']:
            k.metafl(dev); k.kalini(); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    names = {p.name for p in run.path.iterdir()}
    for ext in ["cgm", "hpg", "kyo", "tif", "png", "java", "svg", "pdf", "wmf", "tek", "ln3"]:
        assert f"kalvor.{ext}" in names


def test_protocol_off_back_on_and_counting_warnings(run):
    out = run("""
        k.kalini(); k.errmod('ALL', 'OFF'); k.kalfin()
        k.kalini(); k.pagorg('middle'); k.winmod('xx'); k.kalfin()
    """)
    assert out.endswith(protocol(warnings="2", lines=("Metafile: kalvor_1.met",)))


def test_level_rules(run):
    out = run("""
        k.newpag()
        k.kalini(); k.kalini(); k.metafl('PS'); k.newpag(); k.erase(); k.sendbf()
        print(k.getlev()); k.errmod('PROT','OFF'); k.kalfin(); print(k.getlev())
    """)
    assert out == (
        " <<<< Warning   3: Incorrect level in newpag!   (   0)\n"
        " <<<< Warning   3: Incorrect level in kalini!   (   1)\n"
        " <<<< Warning   3: Incorrect level in metafl!   (   1)\n"
        "1\n0\n"
    )


def test_open_error_is_a_warning_and_drawing_goes_on(run):
    out = run("k.setfil('no/such/dir/plot.met'); k.kalini(); k.newpag(); k.kalfin()")
    assert out.startswith(" <<<< Warning 101: Open error in kalini!\n")
    assert "Metafile:   " in out


def test_fatal_condition_after_the_file_is_open_leaves_no_trace(run):
    out = run("""
        import os
        k.metafl('PNG'); k.winsiz(70000, 10)       # no memory for such a raster
        try:
            k.kalini()
        except RuntimeError as e:
            print(e)
        print(k.getlev(), sorted(os.listdir('.')))
        k.winsiz(100, 50); k.kalini(); print(k.getfil()); k.errmod('PROT', 'OFF'); k.kalfin()
    """)
    assert out == (
        " <<<< Warning  53: Not enough memory in kalini!\n"
        "Not enough memory in kalini!\n"
        "0 []\n"
        "kalvor.png\n"
    )
