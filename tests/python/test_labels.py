"""Date routines, getlab, numbers and the warnings of the label settings."""
import kalvor as k


def test_dates_and_label_names(run):
    out = run("""
        k.metafl("VIRT"); k.kalini()
        print(k.incdat(1, 1, 2026))            # no base date yet
        k.basdat(31, 12, 2025)
        print(k.incdat(1, 3, 2026), k.trfdat(60), k.trfdat(-365), k.nwkday(7, 12, 2026), k.nwkday(29, 2, 2025))
        k.labels("DATE", "X"); k.labels("SECO", "YZ"); k.labels("MYLA", "Z")
        print(k.getlab())
        k.reset("LABELS")
        print(k.getlab())
        print(k.nlnumb(1.5, 101), k.nlnumb(1234.5, 1) > k.nlnumb(4.5, 1))
        k.numode("COMM", "POIN", "PLUS", "EQUA")
        print(k.nlnumb(1234.5, 1) > k.nlnumb(12345, -1))
        k.titlin("five", 5); k.mylab("a", 0, "X"); k.labmod("YEAR", "LONG", "X"); k.labels("FLOA", "W")
        k.kalfin()
    """)
    warnings = [l for l in out.splitlines() if "<<<< Warning" in l]
    printed = [l for l in out.splitlines() if l and not l.startswith(" <<")]
    assert "no base date is defined with basdat in incdat" in warnings[0]
    assert printed[:6] == ["0", "60 (1, 3, 2026) (31, 12, 2024) 1 0", "('DATE', 'SECONDS', 'MYLAB')",
                           "('FLOAT', 'FLOAT', 'FLOAT')", "0 True", "True"]
    # 29.2.2025, ndig 101, titlin 5, mylab 0, YEAR LONG, axis W
    assert [w.split("in ")[-1].split("!")[0] for w in warnings[1:]] == [
        "nwkday", "nlnumb", "titlin", "mylab", "labmod", "labels"]
