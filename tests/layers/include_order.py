#!/usr/bin/env python3
"""Fails on any #include under src/ that points up the layer order.

Order, lowest first: core, util, output (with the colour table and font
metrics), colour3d, text, plot2d, the second-half subsystems, api, python.
A file may include its own layer and any layer below it. Accepted
exceptions:
  - src/core/context.h composes the state of every part;
  - the generated routine declarations (api/routines*.h) serve every layer;
  - src/core/lifecycle.cpp drives devices through the output layer's
    generic faces (driver.h, line_layer.h, primitives.h, raster/) and names
    no driver.
Usage: include_order.py SRC_DIR
"""
import os
import re
import sys

RANK = {'core': 0, 'util': 1, 'output': 2, 'colour3d': 3, 'text': 4,
        'plot2d': 5, 'contour': 6, 'plot3d': 6, 'maps': 6, 'charts': 6,
        'widgets': 6, 'api': 7, 'python': 8}
LIFECYCLE_FACES = ('output/driver.h', 'output/line_layer.h',
                   'output/primitives.h', 'output/raster/')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def layer_of(path):
    return path.split('/', 1)[0]


def resolve(src, includer, name):
    """The included file as a path below src/, or None if outside it."""
    local = os.path.normpath(os.path.join(os.path.dirname(includer), name))
    if os.path.exists(os.path.join(src, local)):
        return local
    if os.path.exists(os.path.join(src, name)) or name.startswith('api/'):
        return os.path.normpath(name)   # api/ also holds generated headers
    return None


def accepted(includer, target):
    if includer == 'core/context.h':
        return True
    if re.fullmatch(r'api/routines(_\w+)?\.h', target):
        return True
    return includer == 'core/lifecycle.cpp' and target.startswith(LIFECYCLE_FACES)


def upward_includes(src):
    found, unknown = [], []
    for root, _, files in os.walk(src):
        for f in sorted(files):
            if not f.endswith(('.h', '.cpp')):
                continue
            path = os.path.relpath(os.path.join(root, f), src)
            if layer_of(path) not in RANK:
                unknown.append(path)
                continue
            with open(os.path.join(src, path), encoding='utf-8') as fh:
                text = fh.read()
            for name in INCLUDE.findall(text):
                target = resolve(src, path, name)
                if target is None or layer_of(target) not in RANK:
                    continue
                if RANK[layer_of(target)] > RANK[layer_of(path)] and not accepted(path, target):
                    found.append((path, target))
    return found, unknown


def main():
    src = sys.argv[1]
    found, unknown = upward_includes(src)
    for path in unknown:
        print(f'{path}: folder has no place in the layer order (add it to RANK)')
    for path, target in found:
        print(f'{path}: includes {target}, a higher layer')
    print(f'{len(found)} upward includes')
    return 1 if found or unknown else 0


if __name__ == '__main__':
    sys.exit(main())
