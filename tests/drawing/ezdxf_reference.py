"""The DXF conversion of tarvel-cli against ezdxf, an independent DXF library.

ezdxf writes one drawing per kind of entity, tarvel-cli converts it (object --dxf F
--convert --tolerance T), and each cut is compared with ezdxf's own flattening of the
same entity at a tenth of the tolerance: every converted point must lie within the
tolerance of the reference polyline and every reference point within the tolerance of
the converted one (plus the reference's own tenth). Prints the largest distance per kind.

    /usr/bin/python3 ezdxf_reference.py PATH/TO/tarvel-cli
"""
import math
import subprocess
import sys
import tempfile

import ezdxf

TOL = 0.01
SLACK = TOL / 10 + 1e-6


def arc(msp):
    msp.add_arc((10, 20), 15, 30, 250)


def arc_minus_z(msp):
    msp.add_arc((10, 20), 15, 30, 250, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_lwpolyline([(0, 0, 0, 0, 0.7), (30, 0, 0, 0, 0), (30, 10)], format="xyseb",
                       dxfattribs={"extrusion": (0, 0, -1)})


def lwpolyline(msp):
    pts = [(0, 0, 0, 0, 0.5), (10, 0, 0, 0, -1), (20, 5, 0, 0, 0), (30, 0, 0, 0, 2.5), (40, 3)]
    msp.add_lwpolyline(pts, format="xyseb")
    msp.add_lwpolyline(pts, format="xyseb", close=True)


def polyline(msp):
    p = msp.add_polyline2d([(0, 0), (10, 0), (10, 10), (0, 10)], close=True)
    for v, bulge in zip(p.vertices, (0.3, -0.6, 0, 1)):
        v.dxf.bulge = bulge


def spline_control(msp):
    msp.add_rational_spline([(0, 0), (10, 20), (30, -10), (50, 15), (70, 0)], [1, 3, 0.5, 2, 1])


def spline_fit(msp):
    s = msp.add_spline([(0, 0), (10, 12), (25, -4), (40, 9), (55, 2)])
    s.dxf.start_tangent = (1, 1, 0)
    s.dxf.end_tangent = (1, -0.5, 0)


def ellipse(msp):
    msp.add_ellipse((5, 5), major_axis=(20, 6), ratio=0.4)
    msp.add_ellipse((50, 5), major_axis=(-3, 12), ratio=0.6, start_param=0.5, end_param=4)


def insert(doc, msp):
    inner = doc.blocks.new("INTERIEUR", base_point=(1, 2))
    inner.add_ellipse((3, 4), major_axis=(5, 0), ratio=0.5, start_param=1, end_param=5)
    inner.add_arc((0, 0), 3, 0, 120)
    outer = doc.blocks.new("EXTERIEUR", base_point=(-5, 3))
    outer.add_lwpolyline([(0, 0, 0, 0, 0.4), (10, 0, 0, 0, 0), (10, 8)], format="xyseb")
    outer.add_blockref("INTERIEUR", (4, 4), dxfattribs={"xscale": 1.5, "yscale": 0.7, "rotation": 20})
    # ezdxf cannot place a turned block inside an unevenly scaled one: that case is left out.
    msp.add_blockref("EXTERIEUR", (50, 50), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 30})
    msp.add_blockref("INTERIEUR", (-20, 10), dxfattribs={"xscale": 0.5, "yscale": 2.5, "rotation": -70})


def inches(doc, msp):
    doc.header["$INSUNITS"] = 1
    msp.add_arc((1, 2), 1.5, 10, 300)


KINDS = [("ARC", arc), ("ARC -Z", arc_minus_z), ("LWPOLYLINE", lwpolyline), ("POLYLINE", polyline),
         ("SPLINE control", spline_control), ("SPLINE fit", spline_fit), ("ELLIPSE", ellipse),
         ("INSERT", insert), ("INSUNITS 1", inches)]


def primitives(entities):
    for e in entities:
        if e.dxftype() == "INSERT":
            yield from primitives(e.virtual_entities())
        else:
            yield e


def leaves(doc, entities):
    """Entities once blocks are placed: one cut each."""
    return sum(leaves(doc, doc.blocks[e.dxf.name]) if e.dxftype() == "INSERT" else 1 for e in entities)


def reference(e, d):
    """ezdxf's points of one entity: curves evaluated exactly, polylines by their parts."""
    if e.dxftype() == "LINE":
        return [e.dxf.start, e.dxf.end]
    if e.dxftype() in ("LWPOLYLINE", "POLYLINE"):
        return [v for part in e.virtual_entities() for v in reference(part, d)]
    return list(e.flattening(d))


def cuts_of(listing):
    cuts, cut = [], None
    for line in listing.splitlines():
        f = line.split("\t")
        if len(f) < 4 or f[0] == "Nbre coupes":
            continue
        p = (float(f[0].replace(",", ".")), float(f[1].replace(",", ".")))
        if f[3] == "D":
            cut = []
        elif f[3] == "F":
            cuts.append(cut)
        else:
            cut.append(p)
    return cuts


def to_polyline(p, line):
    best = math.inf
    for a, b in zip(line, line[1:] or line):
        dx, dy = b[0] - a[0], b[1] - a[1]
        l2 = dx * dx + dy * dy
        t = 0 if l2 == 0 else max(0, min(1, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / l2))
        best = min(best, math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy))
    return best


def main():
    cli, failed = sys.argv[1], False
    with tempfile.TemporaryDirectory() as tmp:
        for name, make in KINDS:
            doc = ezdxf.new("R2000", units=4)
            msp = doc.modelspace()
            make(doc, msp) if make.__code__.co_argcount == 2 else make(msp)
            path = f"{tmp}/{name.replace(' ', '_')}.dxf"
            doc.saveas(path)
            run = subprocess.run([cli, "object", "--dxf", path, "--convert", "--tolerance", "0,01"],
                                 capture_output=True, text=True)
            scale = {1: 25.4, 5: 10, 6: 1000}.get(doc.header["$INSUNITS"], 1)
            refs = [reference(e, TOL / 10 / scale) for e in primitives(msp)]
            closes = [ref[0].isclose(ref[-1]) for ref in refs]
            refs = [[(v.x * scale, v.y * scale) for v in ref] for ref in refs]
            cuts = cuts_of(run.stdout)
            if run.returncode != 0 or len(cuts) != leaves(doc, msp):
                print(f"{name}: exit {run.returncode}, {len(cuts)} cuts for {leaves(doc, msp)} entities {run.stderr}")
                failed = True
                continue
            # ezdxf breaks a block's polyline into parts: the cuts are compared as a whole.
            worst = max(max(min(to_polyline(p, ref) for ref in refs) for cut in cuts for p in cut),
                        max(min(to_polyline(p, cut) for cut in cuts) for ref in refs for p in ref))
            closed_ok = len(cuts) != len(refs) or all(
                cut[0] == cut[-1] for cut, closed in zip(cuts, closes) if closed)
            verdict = "ok" if worst <= TOL + SLACK and closed_ok else "TOO FAR" if closed_ok else "NOT CLOSED"
            print(f"{name:15s} {len(cuts)} cuts, {sum(map(len, cuts)):5d} points, largest distance {worst:.6f} mm  {verdict}")
            failed |= verdict != "ok"
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
