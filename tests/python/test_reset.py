"""reset "ALL" leaves the device's line state as kalini leaves it."""
import pytest

from conftest import render


@pytest.mark.parametrize("ext", ["ps", "pdf", "svg"])
def test_reset_all_draws_as_after_kalini(run, ext):
    images = []
    for name, before in (("fresh", ""), ("reset", "k.linwid(60); k.lnjoin('ROUN'); k.lncap('ROUN'); k.reset('ALL')")):
        run(f"""
            k.metafl('{ext.upper()}'); k.setfil('{name}.{ext}'); k.kalini(); {before}
            k.line(300, 300, 2000, 300); k.line(2000, 300, 2000, 1500)
            k.errmod('PROT', 'OFF'); k.kalfin()
        """)
        images.append(render(run.path / f"{name}.{ext}", 30))
    assert images[0].tobytes() == images[1].tobytes()
