"""KALVOR scientific plotting library.

Every routine of the library is a function of this module with the
library's own name and positional arguments, for example::

    import kalvor
    kalvor.metafl("PS")
    kalvor.kalini()
    kalvor.kalfin()

help(kalvor.curve) names the parameters with their ranges and keywords,
and the levels at which a routine may be called; docs/reference.md lists
every routine. Library warnings are printed (through sys.stdout); after
kalvor.warnings_as_exceptions(True) they are issued as kalvor.KalvorWarning
through the warnings module instead. kalvor.pngpage() returns the page the
last kalfin finished on a raster device as PNG bytes.
"""
import os as _os

from . import _kalvor

_kalvor._set_data_dir(_os.path.join(_os.path.dirname(__file__), "data"))

KalvorWarning = _kalvor.KalvorWarning
_testing = _kalvor._testing

__all__ = [row[0] for row in _kalvor._routines] + ["KalvorWarning"]
globals().update({name: getattr(_kalvor, name) for name in __all__})

if hasattr(_kalvor, "_use_notebook"):
    from . import _notebook
    if _notebook.in_kernel():
        _kalvor._use_notebook(_notebook.show)


def __getattr__(name):
    # The version is read from the package metadata when first asked for:
    # importing importlib.metadata costs more than the rest of the import.
    if name != "__version__":
        raise AttributeError(f"module 'kalvor' has no attribute {name!r}")
    from importlib import metadata
    try:
        version = metadata.version("kalvor")
    except metadata.PackageNotFoundError:  # not installed (a build tree)
        version = "unknown"
    globals()["__version__"] = version
    return version


del _os
