"""KALVOR scientific plotting library.

Every routine of the library is a function of this module with the
library's own name and positional arguments, for example::

    import kalvor
    kalvor.metafl("PS")
    kalvor.kalini()
    kalvor.kalfin()
"""
import os as _os

from . import _kalvor

_kalvor._set_data_dir(_os.path.join(_os.path.dirname(__file__), "data"))

__all__ = [row[0] for row in _kalvor._routines]
globals().update({name: getattr(_kalvor, name) for name in __all__})

del _os
