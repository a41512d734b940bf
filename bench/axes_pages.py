"""Many small plots: N axis systems with labels and titles into one N-page
PDF and into N PNG files (853 x 603), by kalvor and by matplotlib doing the
same (one figure of the same size per page, axes with ticks on four sides,
tick labels, axis names and a title).

    PYTHONPATH=build/<dir>/python python3 bench/axes_pages.py [N]

Each figure is timed once (the runs are long enough); the table gives
seconds in total and milliseconds per plot.
"""
import os
import sys
import tempfile

import kalvor as k
from common import timed

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1000


def kalvor_plot(i):
    k.name("Time [s]", "X")
    k.name("Amplitude", "Y")
    k.titlin(f"Plot {i + 1}", 2)
    k.graf(0.0, 10.0, 0.0, 2.0, -1.0, 1.0, -1.0, 0.5)
    k.title()
    k.endgrf()


def kalvor_pdf(path):
    k.metafl("PDF")
    k.filmod("DELE")
    k.setfil(path)
    k.kalini()
    k.errmod("PROT", "OFF")
    for i in range(N):
        if i:
            k.newpag()
        kalvor_plot(i)
    k.kalfin()


def kalvor_png(folder):
    for i in range(N):
        k.metafl("PNG")
        k.filmod("DELE")
        k.setfil(os.path.join(folder, f"k{i:04d}.png"))
        k.kalini()
        k.errmod("PROT", "OFF")
        kalvor_plot(i)
        k.kalfin()


def matplotlib_figure(plt, i):
    fig, ax = plt.subplots(figsize=(8.53, 6.03), dpi=100)
    ax.set_xlim(0, 10)
    ax.set_ylim(-1, 1)
    ax.set_xticks([0, 2, 4, 6, 8, 10])
    ax.set_yticks([-1, -0.5, 0, 0.5, 1])
    ax.tick_params(top=True, right=True)
    ax.set_xlabel("Time [s]")
    ax.set_ylabel("Amplitude")
    ax.set_title(f"Plot {i + 1}")
    return fig


def matplotlib_pdf(path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from matplotlib.backends.backend_pdf import PdfPages
    with PdfPages(path) as pdf:
        for i in range(N):
            fig = matplotlib_figure(plt, i)
            pdf.savefig(fig)
            plt.close(fig)


def matplotlib_png(folder):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    for i in range(N):
        fig = matplotlib_figure(plt, i)
        fig.savefig(os.path.join(folder, f"m{i:04d}.png"))
        plt.close(fig)


def main():
    rows = []
    with tempfile.TemporaryDirectory() as tmp:
        rows.append(("kalvor", f"PDF, {N} pages", timed(kalvor_pdf, os.path.join(tmp, "k.pdf"))))
        rows.append(("kalvor", f"PNG, {N} files", timed(kalvor_png, tmp)))
        try:
            import matplotlib  # noqa: F401
        except ImportError:
            print("matplotlib is not installed: its rows are left out")
        else:
            rows.append(("matplotlib", f"PDF, {N} pages", timed(matplotlib_pdf, os.path.join(tmp, "m.pdf"))))
            rows.append(("matplotlib", f"PNG, {N} files", timed(matplotlib_png, tmp)))
    print(f"{N} small plots with axes, labels, names and titles")
    print(f"{'library':<12}{'output':<18}{'seconds':>9}{'ms/plot':>9}")
    for lib, what, t in rows:
        print(f"{lib:<12}{what:<18}{t:>9.2f}{1000 * t / N:>9.2f}")


if __name__ == "__main__":
    main()
